#include "platform/thread_window.h"

#include "platform/win32/window_class.h"

#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <unordered_map>

namespace platform {

namespace {

const wchar_t kWindowClass[] = L"VexaThreadWindow";
// Posted to a window destroyed on another thread: only its own thread may destroy it.
constexpr UINT kDestroyMessage = WM_APP + 0x3FF0;
// Posted to the thread itself: marks the end of what waited when a dispatch started.
constexpr UINT kDispatchEndMessage = WM_APP + 0x3FF1;

LRESULT CALLBACK ThreadWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace

// The windows of one thread: real message-only windows, so the thread's own message
// loop, whichever it is, delivers what is posted to them. Windows hold it too, so
// posting to a window whose thread has ended stays safe.
class CThreadQueue {
public:
    CThreadQueue() : owner_(GetCurrentThreadId()) {}
    CThreadQueue(const CThreadQueue&) = delete;
    CThreadQueue& operator=(const CThreadQueue&) = delete;

    static std::shared_ptr<CThreadQueue> ForCurrentThread();

    // 0 when the system cannot make the window.
    std::uint64_t Register(IWindowProcedure& procedure);
    void Unregister(std::uint64_t window);
    bool Post(std::uint64_t window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
    // Runs on the owning thread, from its message loop.
    bool Deliver(std::uint64_t window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
    int Dispatch(int waitMilliseconds);

private:
    struct Entry {
        HWND handle = nullptr;
        IWindowProcedure* procedure = nullptr;
        // Posted to this window and not yet delivered.
        std::size_t waiting = 0;
    };

    void PumpUntilMarker();

    std::mutex lock_;
    std::condition_variable changed_;
    std::unordered_map<std::uint64_t, Entry> windows_;
    std::uint64_t nextWindow_ = 1;
    std::uint64_t delivering_ = 0;
    std::size_t waiting_ = 0;
    int delivered_ = 0;
    const DWORD owner_;
};

namespace {

thread_local std::shared_ptr<CThreadQueue> currentQueue;

LRESULT CALLBACK ThreadWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kDestroyMessage) {
        DestroyWindow(window);
        return 0;
    }
    // The system's own messages (creation, destruction, ...) come below WM_USER.
    const auto id = static_cast<std::uint64_t>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message >= WM_USER && id != 0 && currentQueue && currentQueue->Deliver(id, message, wParam, lParam))
        return 1;
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

std::shared_ptr<CThreadQueue> CThreadQueue::ForCurrentThread()
{
    if (!currentQueue)
        currentQueue = std::make_shared<CThreadQueue>();
    return currentQueue;
}

std::uint64_t CThreadQueue::Register(IWindowProcedure& procedure)
{
    if (!win32::RegisterWindowClass(kWindowClass, ThreadWindowProcedure))
        return 0;
    const HWND handle = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, win32::OwnModule(), nullptr);
    if (!handle)
        return 0;
    std::lock_guard guard(lock_);
    const std::uint64_t window = nextWindow_++;
    SetWindowLongPtrW(handle, GWLP_USERDATA, static_cast<LONG_PTR>(window));
    windows_.emplace(window, Entry{handle, &procedure});
    return window;
}

void CThreadQueue::Unregister(std::uint64_t window)
{
    std::unique_lock lock(lock_);
    const auto found = windows_.find(window);
    if (found == windows_.end())
        return;
    const HWND handle = found->second.handle;
    waiting_ -= found->second.waiting;
    windows_.erase(found);
    const bool onOwner = GetCurrentThreadId() == owner_;
    if (!onOwner)
        changed_.wait(lock, [&] { return delivering_ != window; });
    lock.unlock();
    // Messages still queued for it find no procedure and are dropped.
    if (onOwner)
        DestroyWindow(handle);
    else
        PostMessageW(handle, kDestroyMessage, 0, 0);
}

bool CThreadQueue::Post(std::uint64_t window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam)
{
    std::lock_guard guard(lock_);
    const auto found = windows_.find(window);
    if (found == windows_.end() || waiting_ >= CThreadWindow::queueLimit)
        return false;
    if (!PostMessageW(found->second.handle, message, wParam, lParam))
        return false;
    ++found->second.waiting;
    ++waiting_;
    return true;
}

bool CThreadQueue::Deliver(std::uint64_t window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam)
{
    std::unique_lock lock(lock_);
    const auto found = windows_.find(window);
    if (found == windows_.end())
        return false;
    IWindowProcedure* procedure = found->second.procedure;
    --found->second.waiting;
    --waiting_;
    const std::uint64_t outer = delivering_;
    delivering_ = window;
    lock.unlock();
    procedure->HandleMessage(message, wParam, lParam);
    lock.lock();
    delivering_ = outer;
    ++delivered_;
    changed_.notify_all();
    return true;
}

int CThreadQueue::Dispatch(int waitMilliseconds)
{
    {
        std::lock_guard guard(lock_);
        delivered_ = 0;
    }
    MSG peeked;
    if (waitMilliseconds > 0 && !PeekMessageW(&peeked, nullptr, 0, 0, PM_NOREMOVE))
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(waitMilliseconds), QS_ALLPOSTMESSAGE, MWMO_INPUTAVAILABLE);
    PumpUntilMarker();
    std::lock_guard guard(lock_);
    return delivered_;
}

// Only what waits now: a peer that keeps posting cannot hold the caller here for ever.
// Posted messages keep their order, so the marker posted last is taken after them.
void CThreadQueue::PumpUntilMarker()
{
    const bool marked = PostThreadMessageW(owner_, kDispatchEndMessage, 0, 0) != 0;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.hwnd == nullptr && message.message == kDispatchEndMessage) {
            if (marked)
                return;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

CThreadWindow::CThreadWindow(IWindowProcedure& procedure) : queue_(CThreadQueue::ForCurrentThread())
{
    id_ = queue_->Register(procedure);
}

CThreadWindow::~CThreadWindow()
{
    if (id_ != 0)
        queue_->Unregister(id_);
}

bool CThreadWindow::IsValid() const
{
    return id_ != 0;
}

bool CThreadWindow::Post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam)
{
    return id_ != 0 && queue_->Post(id_, message, wParam, lParam);
}

int DispatchThreadMessages(int waitMilliseconds)
{
    return CThreadQueue::ForCurrentThread()->Dispatch(waitMilliseconds);
}

// Windows has no descriptor for a thread's messages: the thread's own message loop
// (GetMessageW, MsgWaitForMultipleObjects) sees them.
int ThreadMessageDescriptor()
{
    return -1;
}

}  // namespace platform
