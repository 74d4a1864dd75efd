#pragma once
#include <atomic>
#include <future>
#include <memory>

#include "platform/threading.h"
#include "platform/wakeup.h"

namespace quill {

// A worker thread that calls Run in a loop until it is stopped. A derived class must call
// FinishThread in its own destructor: by the time this base is destroyed, Run is gone.
// StopThread and StartThread may be called from the worker itself (a listener that closes
// and reconnects from a callback), and StartThread never waits for an earlier thread: the
// new thread waits for it to end before its first step. Destroyed from inside its own step,
// the object lets its thread end on its own after that step, without calling it again.
class CThreadBase {
public:
    static constexpr unsigned stopWaitMilliseconds = 1000;

    CThreadBase() = default;
    virtual ~CThreadBase();
    CThreadBase(const CThreadBase&) = delete;
    CThreadBase& operator=(const CThreadBase&) = delete;

    // One step of the thread's work; false ends the thread.
    virtual bool Run() = 0;
    // Called on the new thread before the first step.
    virtual void OnThreadStart() {}
    // Called on the thread after the last step.
    virtual void OnThreadStop() {}
    // The pauses of the loop (before each step at most 5 ms, after it at most 1 ms): wait
    // up to that long, and end as soon as the thread is woken or asked to stop.
    virtual void WaitForWork(unsigned maxMilliseconds);

    // False when the thread is already running or cannot be created.
    bool StartThread();
    // Asks the thread to end and waits for it up to waitMilliseconds (not at all when called
    // on the thread itself); false when not running.
    bool StopThread(unsigned waitMilliseconds = stopWaitMilliseconds);

    // The thread's body; the parameter is the started thread's record. Returns the exit code.
    static unsigned ThreadProc(void* parameter);

protected:
    // Stops the thread and waits for it to end, however long its current step takes.
    void FinishThread();
    // Ends the thread's current or next pause at once.
    platform::CWakeup& Wakeup() { return wakeup_; }

private:
    // One started thread with signals of its own, so that a thread still finishing its last
    // step after a restart can neither consume nor give the signals of its successor.
    struct CRun {
        CThreadBase* owner = nullptr;
        platform::CEvent stopEvent;
        platform::CEvent exitedEvent;
        // The thread started before this one; joined by this run's thread before its
        // first step.
        std::shared_ptr<CRun> predecessor;
        // Set when the owner was destroyed from inside a step of this run.
        std::atomic<bool> ownerGone = false;
        // Holds the thread back until StartThread has recorded it.
        std::promise<void> release;
        std::future<void> released = release.get_future();
        platform::CSystemThread thread;
    };

    static constexpr unsigned stepWaitMilliseconds = 5;
    static constexpr unsigned stepSleepMilliseconds = 1;

    bool OnOwnThread() const;
    void JoinRun();
    static void Loop(CRun& run);
    bool Stopped(CRun& run);

    // Kept after StopThread gives up waiting, so that the thread is joined before it could
    // outlive this object or share it with a new thread.
    std::shared_ptr<CRun> run_;
    std::atomic<bool> running_ = false;
    platform::CWakeup wakeup_;
};

}  // namespace quill
