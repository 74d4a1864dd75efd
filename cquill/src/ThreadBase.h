#pragma once
#include <atomic>

#include "platform/threading.h"

namespace quill {

// A worker thread that calls Run in a loop until it is stopped. A derived class must call
// FinishThread in its own destructor: by the time this base is destroyed, Run is gone.
class CThreadBase {
public:
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

    // False when the thread is already running or cannot be created.
    bool StartThread();
    // Asks the thread to end and waits for it up to one second; false when not running.
    bool StopThread();

    // The thread's body; the parameter is the CThreadBase. Returns the exit code.
    static unsigned ThreadProc(void* parameter);

protected:
    // Stops the thread and waits for it to end, however long its current step takes.
    void FinishThread();

private:
    static constexpr unsigned stopWaitMilliseconds = 1000;
    static constexpr unsigned stepWaitMilliseconds = 5;
    static constexpr unsigned stepSleepMilliseconds = 1;

    platform::CEvent stopEvent_;
    platform::CEvent exitedEvent_;
    unsigned threadId_ = 0;
    // Kept after StopThread gives up waiting, so that the thread is joined before it could
    // outlive this object or share it with a new thread.
    platform::CSystemThread thread_;
    std::atomic<bool> running_ = false;
};

}  // namespace quill
