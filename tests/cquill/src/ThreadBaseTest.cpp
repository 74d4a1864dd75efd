#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "cquill/src/ThreadBase.h"
#include "platform/threading.h"

namespace {

using namespace std::chrono;

class Worker : public quill::CThreadBase {
public:
    ~Worker() override { FinishThread(); }

    bool Run() override
    {
        if (++inStep > 1)
            overlapped = true;
        ++steps;
        const milliseconds duration = stepDuration;
        if (duration.count())
            std::this_thread::sleep_for(duration);
        stepsFinished = steps.load();
        --inStep;
        return steps < stepLimit;
    }
    void OnThreadStart() override { startThread = platform::CurrentThreadId(); }
    void OnThreadStop() override { stopThread = platform::CurrentThreadId(); }

    bool WaitForSteps(int count)
    {
        const auto deadline = steady_clock::now() + seconds(5);
        while (steps < count && steady_clock::now() < deadline)
            std::this_thread::sleep_for(milliseconds(1));
        return steps >= count;
    }

    std::atomic<int> steps = 0;
    std::atomic<int> stepsFinished = 0;
    std::atomic<int> inStep = 0;
    std::atomic<bool> overlapped = false;
    int stepLimit = 1 << 30;
    std::atomic<milliseconds> stepDuration{milliseconds(0)};
    std::atomic<unsigned> startThread = 0;
    std::atomic<unsigned> stopThread = 0;
};

// Closes and reconnects from inside a step, as a listener does from a status callback.
class SelfRestartingWorker : public quill::CThreadBase {
public:
    ~SelfRestartingWorker() override { FinishThread(); }

    bool Run() override
    {
        if (++inStep > 1)
            overlapped = true;
        const int step = ++steps;
        threads.push_back(platform::CurrentThreadId());
        if (step == restartAtStep) {
            try {
                stopped = StopThread();
                restarted = StartThread();
            } catch (const std::exception&) {
                threw = true;
            }
        }
        --inStep;
        return true;
    }

    bool WaitForSteps(int count)
    {
        const auto deadline = steady_clock::now() + seconds(5);
        while (steps < count && steady_clock::now() < deadline)
            std::this_thread::sleep_for(milliseconds(1));
        return steps >= count;
    }

    int restartAtStep = 3;
    std::atomic<int> steps = 0;
    std::atomic<int> inStep = 0;
    std::atomic<bool> overlapped = false;
    std::atomic<bool> stopped = false;
    std::atomic<bool> restarted = false;
    std::atomic<bool> threw = false;
    // Written only by the one thread that runs steps at a time.
    std::vector<unsigned> threads;
};

// Destroys itself from inside a step, as a listener releasing its connection from a callback.
class SelfDestroyingWorker : public quill::CThreadBase {
public:
    explicit SelfDestroyingWorker(std::promise<void>& destroyed) : destroyed_(destroyed) {}
    ~SelfDestroyingWorker() override
    {
        FinishThread();
        destroyed_.set_value();
    }

    bool Run() override
    {
        delete this;
        return true;
    }
    void OnThreadStop() override { stopCalls.fetch_add(1); }

    static inline std::atomic<int> stopCalls = 0;

private:
    std::promise<void>& destroyed_;
};

}  // namespace

TEST(ThreadBase, DestroyedFromInsideItsOwnStepItsThreadEndsWithoutTouchingIt)
{
    std::promise<void> destroyed;
    ASSERT_TRUE((new SelfDestroyingWorker(destroyed))->StartThread());
    ASSERT_EQ(destroyed.get_future().wait_for(seconds(5)), std::future_status::ready);
    // The thread's last moves happen after the destructor; a touch of the freed object
    // would show under the address sanitizer.
    std::this_thread::sleep_for(milliseconds(100));
    EXPECT_EQ(SelfDestroyingWorker::stopCalls, 0);
}

TEST(ThreadBase, RunsStepsOnItsOwnThreadUntilStopped)
{
    Worker worker;
    EXPECT_FALSE(worker.StopThread());
    ASSERT_TRUE(worker.StartThread());
    EXPECT_FALSE(worker.StartThread());
    ASSERT_TRUE(worker.WaitForSteps(3));
    EXPECT_TRUE(worker.StopThread());
    EXPECT_FALSE(worker.StopThread());
    const int steps = worker.steps;
    std::this_thread::sleep_for(milliseconds(30));
    EXPECT_EQ(worker.steps, steps);
    EXPECT_NE(worker.startThread, 0u);
    EXPECT_NE(worker.startThread, platform::CurrentThreadId());
}

TEST(ThreadBase, RunReturningFalseEndsTheThreadButNotTheRunningMark)
{
    Worker worker;
    worker.stepLimit = 2;
    ASSERT_TRUE(worker.StartThread());
    ASSERT_TRUE(worker.WaitForSteps(2));
    std::this_thread::sleep_for(milliseconds(30));
    EXPECT_EQ(worker.steps, 2);
    EXPECT_FALSE(worker.StartThread());
    const auto before = steady_clock::now();
    EXPECT_TRUE(worker.StopThread());
    EXPECT_LT(steady_clock::now() - before, milliseconds(500));

    // The stop signal nobody consumed must not end the next thread at once.
    worker.stepLimit = 1 << 30;
    ASSERT_TRUE(worker.StartThread());
    EXPECT_TRUE(worker.WaitForSteps(5));
}

TEST(ThreadBase, StopGivesUpAfterASecondButTheThreadNeverOutlivesTheObject)
{
    auto worker = std::make_unique<Worker>();
    worker->stepDuration = milliseconds(3000);
    ASSERT_TRUE(worker->StartThread());
    ASSERT_TRUE(worker->WaitForSteps(1));
    const auto before = steady_clock::now();
    EXPECT_TRUE(worker->StopThread());
    const auto waited = steady_clock::now() - before;
    EXPECT_GE(waited, milliseconds(950));
    EXPECT_LT(waited, milliseconds(2500));
    EXPECT_EQ(worker->stepsFinished, 0);
    worker.reset();
}

TEST(ThreadBase, RestartAfterAGivenUpStopWaitsForTheOldThread)
{
    Worker worker;
    worker.stepDuration = milliseconds(1300);
    ASSERT_TRUE(worker.StartThread());
    ASSERT_TRUE(worker.WaitForSteps(1));
    worker.StopThread();
    worker.stepDuration = milliseconds(0);
    // The caller does not wait for the old step; the new thread does, before its first.
    const auto start = steady_clock::now();
    ASSERT_TRUE(worker.StartThread());
    EXPECT_LT(steady_clock::now() - start, milliseconds(200));
    EXPECT_TRUE(worker.WaitForSteps(4));
    EXPECT_FALSE(worker.overlapped);
}

TEST(ThreadBase, StopHooksRunOnTheWorkerAndNullParameterEndsAtOnce)
{
    Worker worker;
    ASSERT_TRUE(worker.StartThread());
    ASSERT_TRUE(worker.WaitForSteps(1));
    worker.StopThread();
    const auto deadline = steady_clock::now() + seconds(2);
    while (worker.stopThread == 0u && steady_clock::now() < deadline)
        std::this_thread::sleep_for(milliseconds(1));
    EXPECT_EQ(worker.stopThread, worker.startThread);
    EXPECT_EQ(quill::CThreadBase::ThreadProc(nullptr), 0xFFFFFFFFu);
}

TEST(ThreadBase, StopAndStartFromInsideAStepContinueOnANewThread)
{
    SelfRestartingWorker worker;
    ASSERT_TRUE(worker.StartThread());
    ASSERT_TRUE(worker.WaitForSteps(8));
    EXPECT_TRUE(worker.StopThread());
    EXPECT_FALSE(worker.threw);
    EXPECT_TRUE(worker.stopped);
    EXPECT_TRUE(worker.restarted);
    EXPECT_FALSE(worker.overlapped);
    ASSERT_GE(worker.threads.size(), 4u);
    EXPECT_EQ(worker.threads[2], worker.threads[0]);
    EXPECT_NE(worker.threads[3], worker.threads[2]);

    // Stopped from a client thread, it starts again as usual.
    const int steps = worker.steps;
    ASSERT_TRUE(worker.StartThread());
    EXPECT_TRUE(worker.WaitForSteps(steps + 3));
}

TEST(ThreadBase, RestartingTwiceInOneStepLeavesOneThreadRunning)
{
    class TwiceRestarting : public SelfRestartingWorker {
    public:
        ~TwiceRestarting() override { FinishThread(); }
        bool Run() override
        {
            if (steps == 1) {
                StopThread();
                StartThread();
            }
            return SelfRestartingWorker::Run();
        }
    };
    TwiceRestarting worker;
    worker.restartAtStep = 2;
    ASSERT_TRUE(worker.StartThread());
    ASSERT_TRUE(worker.WaitForSteps(8));
    EXPECT_TRUE(worker.StopThread());
    EXPECT_FALSE(worker.threw);
    EXPECT_TRUE(worker.restarted);
    EXPECT_FALSE(worker.overlapped);
    EXPECT_FALSE(worker.StopThread());
}
