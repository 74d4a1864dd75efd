#include "platform/interrupt_watch.h"

#include <windows.h>

#include <mutex>

namespace platform {

// The console calls its control handlers on a thread of its own, which carries the
// call; a handler that declines passes Ctrl+C on to the next one, in the end the
// system's, which ends the process.
class CInterruptWatch::CState {
public:
    std::function<bool()> onInterrupt;
    bool running = false;
};

namespace {

std::mutex watchLock;
// The function of the running watch; null while none runs.
std::function<bool()>* currentWatch = nullptr;

BOOL WINAPI OnControl(DWORD control)
{
    if (control != CTRL_C_EVENT)
        return FALSE;
    std::lock_guard guard(watchLock);
    return currentWatch && (*currentWatch)() ? TRUE : FALSE;
}

}  // namespace

CInterruptWatch::CInterruptWatch() : m_state(std::make_unique<CState>()) {}

CInterruptWatch::~CInterruptWatch()
{
    Stop();
}

bool CInterruptWatch::Running() const
{
    return m_state->running;
}

bool CInterruptWatch::Start(std::function<bool()> onInterrupt)
{
    std::lock_guard guard(watchLock);
    if (m_state->running || currentWatch)
        return false;
    m_state->onInterrupt = std::move(onInterrupt);
    if (!SetConsoleCtrlHandler(OnControl, TRUE))
        return false;
    currentWatch = &m_state->onInterrupt;
    m_state->running = true;
    return true;
}

void CInterruptWatch::Stop()
{
    std::lock_guard guard(watchLock);
    if (!m_state->running)
        return;
    SetConsoleCtrlHandler(OnControl, FALSE);
    currentWatch = nullptr;
    m_state->running = false;
}

bool StandardInputIsTerminal()
{
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

bool StandardOutputIsTerminal()
{
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

}  // namespace platform
