// sdr-lookup-client LIBRARY KEY TIMEOUT [--no-initial] [--cancel-after MS [--recheck-after MS]]
//                   [--parallel N]
//
// Runs the client's calling order (InitialSDR, CreateISdr, SetRequest, Start, Wait,
// GetResult, Release) and prints what it saw:
//   entry C1|C2|PORT|C4|C5     one line per entry of the answer
//   count N                    entries in the answer
//   waited MS                  from Start until Wait returned
//   released MS                how long Release took
//   finished N / later N       with --recheck-after: the entries as soon as IsFinished was
//                              true, and again that long afterwards
// With --parallel N it runs N lookups at once and prints "lookups N answered K" and
// "descriptors BEFORE AFTER" (open descriptors or handles before the first and after the last).
#include "platform/program_entry.h"
#include "cquill.h"
#include "platform/testing/loaded_module.h"
#include "platform/testing/open_handles.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    std::string key;
    int timeout = 0;
    bool initial = true;
    int cancelAfterMs = -1;
    int recheckAfterMs = -1;
    int parallel = 0;
};

long long MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// The answer must not change once the lookup says it is finished.
void RecheckAfterFinish(ISDR* sdr, int milliseconds)
{
    while (!sdr->IsFinished())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::printf("finished %zu\n", sdr->GetResult().size());
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    std::printf("later %zu\n", sdr->GetResult().size());
}

void RunOne(CreateISdrFunction create, const Options& options)
{
    ISDR* sdr = create();
    sdr->SetRequest(options.key.c_str(), options.timeout);
    const auto start = Clock::now();
    sdr->Start();
    if (options.cancelAfterMs >= 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(options.cancelAfterMs));
        sdr->Cancel();
        if (options.recheckAfterMs >= 0)
            RecheckAfterFinish(sdr, options.recheckAfterMs);
    }
    sdr->Wait();
    std::printf("waited %lld\n", MillisecondsSince(start));
    for (const SdrEntry& entry : sdr->GetResult())
        std::printf("entry %s|%s|%u|%s|%s\n", entry.column1.c_str(), entry.column2.c_str(), entry.port,
                    entry.column4.c_str(), entry.column5.c_str());
    std::printf("count %zu\n", sdr->GetResult().size());
    const auto releaseStart = Clock::now();
    sdr->Release();
    std::printf("released %lld\n", MillisecondsSince(releaseStart));
}

void RunParallel(CreateISdrFunction create, const Options& options)
{
    const std::size_t before = platform::testing::OpenHandleCount();
    std::atomic<int> answered{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < options.parallel; ++i) {
        threads.emplace_back([&] {
            ISDR* sdr = create();
            sdr->SetRequest(options.key.c_str(), options.timeout);
            sdr->Start();
            while (!sdr->IsIdle())
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (!sdr->GetResult().empty())
                ++answered;
            sdr->Release();
        });
    }
    for (auto& thread : threads)
        thread.join();
    std::printf("lookups %d answered %d\n", options.parallel, answered.load());
    std::printf("descriptors %zu %zu\n", before, platform::testing::OpenHandleCount());
}

}  // namespace

int ProgramMain(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s LIBRARY KEY TIMEOUT [options]\n", argv[0]);
        return 2;
    }
    Options options;
    options.key = argv[2];
    options.timeout = std::atoi(argv[3]);
    for (int i = 4; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--no-initial")
            options.initial = false;
        else if (argument == "--cancel-after" && i + 1 < argc)
            options.cancelAfterMs = std::atoi(argv[++i]);
        else if (argument == "--recheck-after" && i + 1 < argc)
            options.recheckAfterMs = std::atoi(argv[++i]);
        else if (argument == "--parallel" && i + 1 < argc)
            options.parallel = std::atoi(argv[++i]);
    }
    const platform::testing::CLoadedModule library(argv[1]);
    if (!library.Loaded()) {
        std::fprintf(stderr, "%s\n", library.Failure().c_str());
        return 1;
    }
    const auto initial = reinterpret_cast<InitialSDRFunction>(library.Symbol("InitialSDR"));
    const auto create = reinterpret_cast<CreateISdrFunction>(library.Symbol("CreateISdr"));
    if (!initial || !create)
        return 1;
    if (options.initial)
        initial();
    if (options.parallel > 0)
        RunParallel(create, options);
    else
        RunOne(create, options);
    std::fflush(stdout);
    return 0;
}
