#include "platform/threading.h"

#include <chrono>
#include <future>
#include <pthread.h>
#include <system_error>
#include <unistd.h>

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
    std::promise<unsigned> started;
    std::future<unsigned> id = started.get_future();
    try {
        thread_ = std::thread([started = std::move(started), body = std::move(body)]() mutable {
            started.set_value(CurrentThreadId());
            body();
        });
    } catch (const std::system_error&) {
        return false;
    }
    id_ = id.get();
    return true;
}

void CSystemThread::Join()
{
    if (thread_.joinable())
        thread_.join();
}

int CSystemThread::Priority() const
{
    if (!thread_.joinable())
        return 0;
    int policy = 0;
    sched_param parameters{};
    auto handle = const_cast<std::thread&>(thread_).native_handle();
    return pthread_getschedparam(handle, &policy, &parameters) == 0 ? parameters.sched_priority : 0;
}

unsigned CurrentThreadId()
{
    return static_cast<unsigned>(gettid());
}

}  // namespace platform
