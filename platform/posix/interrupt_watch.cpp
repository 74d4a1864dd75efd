#include "platform/interrupt_watch.h"

#include "platform/threading.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace platform {

namespace {

// Created once and kept for the life of the process, so the signal handler can never
// write to a descriptor that was closed or reused meanwhile.
struct Pipes {
    int interrupt[2] = {-1, -1};
    int stop[2] = {-1, -1};

    Pipes()
    {
        if (pipe2(interrupt, O_CLOEXEC | O_NONBLOCK) != 0 || pipe2(stop, O_CLOEXEC | O_NONBLOCK) != 0)
            interrupt[0] = interrupt[1] = stop[0] = stop[1] = -1;
    }
};

Pipes& SharedPipes()
{
    static Pipes* pipes = new Pipes;
    return *pipes;
}

volatile sig_atomic_t g_interruptWriteEnd = -1;

void OnSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    if (g_interruptWriteEnd >= 0 && write(g_interruptWriteEnd, &byte, 1) < 0) {
        // A full pipe already holds a press waiting to be handled.
    }
    errno = saved;
}

void Drain(int descriptor)
{
    char buffer[64];
    while (read(descriptor, buffer, sizeof buffer) > 0) {
    }
}

void Poke(int descriptor)
{
    const char byte = 1;
    if (write(descriptor, &byte, 1) < 0) {
        // Full: the reader is woken already.
    }
}

}  // namespace

class CInterruptWatch::CState {
public:
    void Watch();
    void PassOn();

    std::function<bool()> onInterrupt;
    struct sigaction previous {};
    bool running = false;
    CSystemThread thread;
};

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
    Pipes& pipes = SharedPipes();
    CState& state = *m_state;
    if (state.running || pipes.interrupt[0] < 0)
        return false;
    Drain(pipes.interrupt[0]);
    Drain(pipes.stop[0]);
    state.onInterrupt = std::move(onInterrupt);
    g_interruptWriteEnd = pipes.interrupt[1];
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (sigaction(SIGINT, &action, &state.previous) != 0)
        return false;
    state.running = true;
    if (!state.thread.Start([&state] { state.Watch(); })) {
        sigaction(SIGINT, &state.previous, nullptr);
        state.running = false;
    }
    return state.running;
}

void CInterruptWatch::Stop()
{
    CState& state = *m_state;
    if (!state.running)
        return;
    sigaction(SIGINT, &state.previous, nullptr);
    Poke(SharedPipes().stop[1]);
    state.thread.Join();
    state.running = false;
}

void CInterruptWatch::CState::Watch()
{
    Pipes& pipes = SharedPipes();
    pollfd waits[2] = {{pipes.interrupt[0], POLLIN, 0}, {pipes.stop[0], POLLIN, 0}};
    for (;;) {
        if (poll(waits, 2, -1) < 0 && errno != EINTR)
            return;
        if (waits[1].revents != 0) {
            Drain(pipes.stop[0]);
            return;
        }
        if (waits[0].revents != 0) {
            Drain(pipes.interrupt[0]);
            if (!onInterrupt())
                PassOn();
        }
    }
}

void CInterruptWatch::CState::PassOn()
{
    sigaction(SIGINT, &previous, nullptr);
    raise(SIGINT);
}

bool StandardInputIsTerminal()
{
    return isatty(STDIN_FILENO) == 1;
}

bool StandardOutputIsTerminal()
{
    return isatty(STDOUT_FILENO) == 1;
}

}  // namespace platform
