#pragma once
#include <functional>
#include <memory>

namespace platform {

// While running, Ctrl+C calls a function instead of ending the process. When the
// function declines (returns false) the interrupt gets its previous handling back and
// is raised again, so the process ends as usual. One watch at a time per process.
class CInterruptWatch {
public:
    CInterruptWatch();
    ~CInterruptWatch();
    CInterruptWatch(const CInterruptWatch&) = delete;
    CInterruptWatch& operator=(const CInterruptWatch&) = delete;

    // False when the interrupt cannot be taken over.
    bool Start(std::function<bool()> onInterrupt);
    void Stop();
    bool Running() const;

private:
    // The system's side: the handling replaced and what carries the call.
    class CState;
    std::unique_ptr<CState> m_state;
};

// Whether standard input and standard output are a terminal (a console on Windows).
bool StandardInputIsTerminal();
bool StandardOutputIsTerminal();

}  // namespace platform
