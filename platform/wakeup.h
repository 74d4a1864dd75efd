#pragma once
#include <cstdint>

namespace platform {

class CSocket;

// Wakes one waiting thread: Wake from any thread ends the owner's current or next Wait,
// and a socket's WaitOrWake, at once. Wakes that come before a wait are kept (not counted).
class CWakeup {
public:
    CWakeup();
    ~CWakeup();
    CWakeup(const CWakeup&) = delete;
    CWakeup& operator=(const CWakeup&) = delete;

    void Wake();
    // True when woken within the time (the wake is consumed); 0 only tests.
    bool Wait(unsigned milliseconds);

private:
    friend class CSocket;
    void Consume();

    // An eventfd on Linux, an auto-reset event on Windows.
    std::intptr_t descriptor_ = -1;
};

}  // namespace platform
