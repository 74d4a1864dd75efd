// mox-sample-client [-onlymain] [-updatevexa] [--title "My Game"] [--seconds N]
// The updater's start arguments: -onlymain is a normal start, -updatevexa first
// finishes the updater's self-update (HandOver.h). Each prints one line, also
// appended to the file named by MOX_SAMPLE_CLIENT_LOG when that is set.
// With a title it opens a window with that title (UpdateResultReceiver.h), prints one
// line per message it receives (and what an updater's answer means, on standard error),
// and exits after N seconds (default 30) or on SIGTERM; without one it exits once its
// arguments are handled.
#include "HandOver.h"
#include "UpdateResultReceiver.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/module_path.h"
#include "platform/program_entry.h"
#include "platform/text.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnTerminate(int)
{
    g_stop = 1;
}

int Usage()
{
    std::fprintf(stderr, "usage: mox-sample-client [-onlymain] [-updatevexa] [--title TITLE] [--seconds N]\n");
    return 2;
}

void Report(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    // Read wide on Windows: the test's folder has characters the code page lacks.
    const std::string logPath = platform::EnvironmentVariable("MOX_SAMPLE_CLIENT_LOG");
    if (!logPath.empty()) {
        if (std::FILE* log = platform::OpenFileStream(platform::WideFromUtf8(logPath), "ab")) {
            std::fprintf(log, "%s\n", line.c_str());
            std::fclose(log);
        }
    }
}

// What a client would do with each answer.
const char* Meaning(UpdateResult result)
{
    switch (result) {
    case UpdateResult::Optional:
        return "an optional update: ask the player, then quit and start vexa update";
    case UpdateResult::Forced:
        return "a forced update: tell the player, quit and start vexa update";
    case UpdateResult::None:
        return "no update";
    case UpdateResult::CheckFailed:
        return "the check failed: go on, ask again later";
    }
    return "";
}

std::wstring ClientFolder()
{
    const std::wstring program = platform::ExecutablePath();
    return program.substr(0, program.find_last_of(L"/\\") + 1);
}

}  // namespace

int ProgramMain(int argc, char** argv)
{
#ifdef SIGPIPE
    // Started by the updater, the client inherits its output, which may be gone by now.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    std::string title;
    long seconds = 30;
    std::vector<std::string> lines;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "-onlymain") {
            lines.push_back("-onlymain: started");
        } else if (option == "-updatevexa") {
            lines.push_back(FinishSelfUpdate(ClientFolder()));
        } else if (option == "--title" && i + 1 < argc) {
            title = argv[++i];
        } else if (option == "--seconds" && i + 1 < argc) {
            seconds = std::strtol(argv[++i], nullptr, 10);
        } else {
            return Usage();
        }
    }
    for (const std::string& line : lines)
        Report(line);
    if (title.empty())
        return 0;

    std::signal(SIGTERM, OnTerminate);
    CUpdateResultReceiver window(platform::WideFromUtf8(title));
    if (!window.IsOpen()) {
        std::fprintf(stderr, "mox-sample-client: cannot open a window titled \"%s\"\n", title.c_str());
        return 1;
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!g_stop && std::chrono::steady_clock::now() < deadline) {
        const auto message = window.Next(100);
        if (!message)
            continue;
        std::printf("message=%u wparam=%llu lparam=%lld\n", message->message,
                    static_cast<unsigned long long>(message->wParam), static_cast<long long>(message->lParam));
        std::fflush(stdout);
        // On standard error, so that the lines above stay one per message.
        if (const auto result = CUpdateResultReceiver::ResultOf(*message))
            std::fprintf(stderr, "update result: %s\n", Meaning(*result));
    }
    return 0;
}
