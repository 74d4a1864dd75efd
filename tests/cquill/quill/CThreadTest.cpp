#include "cquill/src/quill/CThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;

std::atomic<bool> bodyEnded{false};

class CountingWorker : public quill::threading::IWorker {
public:
    std::uint32_t Work() override
    {
        ++runs;
        while (!release)
            std::this_thread::sleep_for(1ms);
        done = true;
        bodyEnded = true;
        return 7;
    }

    std::atomic<int> runs{0};
    std::atomic<bool> release{false};
    std::atomic<bool> done{false};
};

using Thread = quill::threading::CThread<CountingWorker>;

TEST(CThread, NeverStartedIsNeitherRunningNorFinishedEvenAfterWait)
{
    Thread thread;
    EXPECT_FALSE(thread.IsStarted());
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_FALSE(thread.IsFinished());
    thread.Wait();
    EXPECT_FALSE(thread.IsFinished());
    EXPECT_EQ(thread.runs, 0);
}

TEST(CThread, RunsOnceAndKeepsTheExitCodeAfterWait)
{
    Thread thread;
    EXPECT_TRUE(thread.Start());
    EXPECT_TRUE(thread.Start());
    EXPECT_TRUE(thread.IsRunning());
    EXPECT_NE(thread.GetHandle(), quill::threading::ThreadHandle{});
    std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(thread.IsFinished());

    thread.release = true;
    thread.Wait();
    EXPECT_TRUE(thread.IsFinished());
    EXPECT_EQ(thread.GetExitCode(), 7u);
    EXPECT_EQ(thread.GetHandle(), quill::threading::ThreadHandle{});
    EXPECT_FALSE(thread.Start());
    EXPECT_EQ(thread.runs, 1);
}

TEST(CThread, DestructionWaitsForTheBody)
{
    auto thread = std::make_unique<Thread>();
    std::atomic<bool>* release = &thread->release;
    thread->Start();
    std::thread releaser([release] {
        std::this_thread::sleep_for(100ms);
        *release = true;
    });
    const auto start = std::chrono::steady_clock::now();
    thread.reset();  // the body still runs on the object's own members until released
    EXPECT_TRUE(bodyEnded);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 50ms);
    releaser.join();
}

}  // namespace
