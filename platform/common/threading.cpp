#include "platform/threading.h"

#include <chrono>
#include <future>
#include <system_error>

namespace platform {

void CEvent::Set()
{
    {
        std::lock_guard lock(lock_);
        signalled_ = true;
    }
    changed_.notify_one();
}

void CEvent::Reset()
{
    std::lock_guard lock(lock_);
    signalled_ = false;
}

bool CEvent::Wait(unsigned milliseconds)
{
    std::unique_lock lock(lock_);
    // A zero-length wait only tests the flag: no timed wait in the kernel.
    if (milliseconds == 0) {
        const bool signalled = signalled_;
        signalled_ = false;
        return signalled;
    }
    if (!changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return signalled_; }))
        return false;
    signalled_ = false;
    return true;
}

CSystemThread::~CSystemThread()
{
    Join();
}

bool CSystemThread::Start(std::function<void()> body)
{
    Join();
    std::promise<Identity> started;
    std::future<Identity> identity = started.get_future();
    try {
        thread_ = std::thread([started = std::move(started), body = std::move(body)]() mutable {
            started.set_value({CurrentThreadId(), CurrentThreadPriority()});
            body();
        });
    } catch (const std::system_error&) {
        return false;
    }
    const Identity reported = identity.get();
    id_ = reported.id;
    priority_ = reported.priority;
    return true;
}

void CSystemThread::Join()
{
    if (!thread_.joinable())
        return;
    // A thread cannot wait for itself; called on it, the thread is left to end on its own.
    if (thread_.get_id() == std::this_thread::get_id())
        thread_.detach();
    else
        thread_.join();
}

}  // namespace platform
