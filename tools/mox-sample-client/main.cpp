// mox-sample-client --title "My Game" [--seconds N]
// Opens a window with that title, prints one line per message it receives and
// exits after N seconds (default 30) or on SIGTERM.
#include "platform/text.h"
#include "platform/window_messages.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnTerminate(int)
{
    g_stop = 1;
}

int Usage()
{
    std::fprintf(stderr, "usage: mox-sample-client --title TITLE [--seconds N]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string title;
    bool haveTitle = false;
    long seconds = 30;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--title") {
            title = argv[i + 1];
            haveTitle = true;
        } else if (option == "--seconds") {
            seconds = std::strtol(argv[i + 1], nullptr, 10);
        } else {
            return Usage();
        }
    }
    if (!haveTitle || argc % 2 == 0)
        return Usage();

    std::signal(SIGTERM, OnTerminate);
    platform::CMessageWindow window(platform::WideFromUtf8(title));
    if (!window.IsOpen()) {
        std::fprintf(stderr, "mox-sample-client: cannot open a window titled \"%s\"\n", title.c_str());
        return 1;
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!g_stop && std::chrono::steady_clock::now() < deadline) {
        platform::WindowMessage message;
        if (!window.WaitMessage(message, 100))
            continue;
        std::printf("message=%u wparam=%llu lparam=%lld\n", message.message,
                    static_cast<unsigned long long>(message.wParam), static_cast<long long>(message.lParam));
        std::fflush(stdout);
    }
    return 0;
}
