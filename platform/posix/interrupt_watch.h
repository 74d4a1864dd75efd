#pragma once
#include "platform/threading.h"

#include <csignal>
#include <functional>

namespace platform::posix {

// While running, Ctrl+C (SIGINT) calls a function on a thread of its own instead of
// ending the process. When the function declines (returns false) the signal gets its
// previous handling back and is raised again, so the process ends as usual. One watch
// at a time per process.
class CInterruptWatch {
public:
    CInterruptWatch() = default;
    ~CInterruptWatch();
    CInterruptWatch(const CInterruptWatch&) = delete;
    CInterruptWatch& operator=(const CInterruptWatch&) = delete;

    // False when the signal cannot be taken over.
    bool Start(std::function<bool()> onInterrupt);
    void Stop();
    bool Running() const { return m_running; }

private:
    void Watch();
    void PassOn();

    std::function<bool()> m_onInterrupt;
    struct sigaction m_previous {};
    bool m_running = false;
    CSystemThread m_thread;
};

}  // namespace platform::posix
