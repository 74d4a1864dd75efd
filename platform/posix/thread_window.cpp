#include "platform/thread_window.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace platform {

// The message queue of one thread. Windows hold it too, so posting to a window whose
// thread has ended stays safe (nothing is delivered any more).
class CThreadQueue {
public:
    explicit CThreadQueue(int descriptor) : descriptor_(descriptor), owner_(std::this_thread::get_id()) {}
    ~CThreadQueue() { close(descriptor_); }
    CThreadQueue(const CThreadQueue&) = delete;
    CThreadQueue& operator=(const CThreadQueue&) = delete;

    static std::shared_ptr<CThreadQueue> ForCurrentThread();

    std::uint64_t Register(IWindowProcedure& procedure);
    void Unregister(std::uint64_t window);
    bool Post(std::uint64_t window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
    int Dispatch(int waitMilliseconds);
    int Descriptor() const { return descriptor_; }

private:
    struct Posted {
        std::uint64_t window;
        unsigned message;
        std::uintptr_t wParam;
        std::intptr_t lParam;
    };

    int Deliver(std::unique_lock<std::mutex>& lock, const Posted& posted);
    // The descriptor is readable exactly while messages wait; both run under the lock.
    void Signal();
    void ClearSignal();

    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<Posted> posted_;
    std::unordered_map<std::uint64_t, IWindowProcedure*> windows_;
    std::uint64_t nextWindow_ = 1;
    std::uint64_t delivering_ = 0;
    bool signalled_ = false;
    const int descriptor_;
    const std::thread::id owner_;
};

namespace {

thread_local std::shared_ptr<CThreadQueue> currentQueue;

}  // namespace

std::shared_ptr<CThreadQueue> CThreadQueue::ForCurrentThread()
{
    if (!currentQueue) {
        const int descriptor = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        if (descriptor < 0)
            return nullptr;
        currentQueue = std::make_shared<CThreadQueue>(descriptor);
    }
    return currentQueue;
}

std::uint64_t CThreadQueue::Register(IWindowProcedure& procedure)
{
    std::lock_guard guard(lock_);
    const std::uint64_t window = nextWindow_++;
    windows_.emplace(window, &procedure);
    return window;
}

void CThreadQueue::Unregister(std::uint64_t window)
{
    std::unique_lock lock(lock_);
    windows_.erase(window);
    std::erase_if(posted_, [window](const Posted& posted) { return posted.window == window; });
    if (posted_.empty())
        ClearSignal();
    if (std::this_thread::get_id() != owner_)
        changed_.wait(lock, [&] { return delivering_ != window; });
}

bool CThreadQueue::Post(std::uint64_t window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam)
{
    {
        std::lock_guard guard(lock_);
        if (!windows_.contains(window) || posted_.size() >= CThreadWindow::queueLimit)
            return false;
        posted_.push_back({window, message, wParam, lParam});
        Signal();
    }
    changed_.notify_all();
    return true;
}

int CThreadQueue::Dispatch(int waitMilliseconds)
{
    std::unique_lock lock(lock_);
    if (waitMilliseconds > 0)
        changed_.wait_for(lock, std::chrono::milliseconds(waitMilliseconds), [this] { return !posted_.empty(); });
    // Only what waits now: a peer that keeps posting cannot hold the caller here for ever.
    std::deque<Posted> batch;
    batch.swap(posted_);
    ClearSignal();
    int delivered = 0;
    for (const Posted& posted : batch)
        delivered += Deliver(lock, posted);
    return delivered;
}

int CThreadQueue::Deliver(std::unique_lock<std::mutex>& lock, const Posted& posted)
{
    const auto found = windows_.find(posted.window);
    if (found == windows_.end())
        return 0;
    IWindowProcedure* procedure = found->second;
    const std::uint64_t outer = delivering_;
    delivering_ = posted.window;
    lock.unlock();
    procedure->HandleMessage(posted.message, posted.wParam, posted.lParam);
    lock.lock();
    delivering_ = outer;
    changed_.notify_all();
    return 1;
}

void CThreadQueue::Signal()
{
    if (signalled_)
        return;
    const std::uint64_t one = 1;
    signalled_ = write(descriptor_, &one, sizeof one) == sizeof one;
}

void CThreadQueue::ClearSignal()
{
    if (!signalled_)
        return;
    std::uint64_t count = 0;
    [[maybe_unused]] const auto read_ = read(descriptor_, &count, sizeof count);
    signalled_ = false;
}

CThreadWindow::CThreadWindow(IWindowProcedure& procedure) : queue_(CThreadQueue::ForCurrentThread())
{
    if (queue_)
        id_ = queue_->Register(procedure);
}

CThreadWindow::~CThreadWindow()
{
    if (queue_)
        queue_->Unregister(id_);
}

bool CThreadWindow::IsValid() const
{
    return queue_ != nullptr;
}

bool CThreadWindow::Post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam)
{
    return queue_ && queue_->Post(id_, message, wParam, lParam);
}

int DispatchThreadMessages(int waitMilliseconds)
{
    const auto queue = CThreadQueue::ForCurrentThread();
    return queue ? queue->Dispatch(waitMilliseconds) : 0;
}

int ThreadMessageDescriptor()
{
    const auto queue = CThreadQueue::ForCurrentThread();
    return queue ? queue->Descriptor() : -1;
}

}  // namespace platform
