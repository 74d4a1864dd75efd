#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform {

// Receives the messages of one thread window, on the thread that created the window.
class IWindowProcedure {
public:
    virtual ~IWindowProcedure() = default;
    virtual std::intptr_t HandleMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
};

class CThreadQueue;

// A window of the thread that creates it: any thread may post to it, and that thread
// delivers the messages to the procedure, in posting order, when it dispatches.
class CThreadWindow {
public:
    explicit CThreadWindow(IWindowProcedure& procedure);
    // Messages not yet delivered are dropped. Destroyed on another thread, it first waits
    // for a delivery to this window that is running on the owning thread.
    ~CThreadWindow();
    CThreadWindow(const CThreadWindow&) = delete;
    CThreadWindow& operator=(const CThreadWindow&) = delete;

    // False when the thread's queue could not be made; such a window takes no messages.
    bool IsValid() const;
    // False when the window is not valid, or when its thread's queue already holds
    // queueLimit messages (the thread has stopped dispatching): the message is not posted.
    bool Post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

    static constexpr std::size_t queueLimit = 10000;

private:
    std::shared_ptr<CThreadQueue> queue_;
    std::uint64_t id_ = 0;
};

// Delivers, on the calling thread, every message waiting for its windows when the call
// starts; when none waits, first waits up to waitMilliseconds for one (0: no wait).
// Returns how many messages it delivered.
int DispatchThreadMessages(int waitMilliseconds);

// A descriptor that is readable while the calling thread has messages waiting; -1 when
// the thread's queue could not be made. It belongs to the thread's queue: do not close it.
int ThreadMessageDescriptor();

}  // namespace platform
