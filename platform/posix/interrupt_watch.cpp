#include "platform/posix/interrupt_watch.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace platform::posix {

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

CInterruptWatch::~CInterruptWatch()
{
    Stop();
}

bool CInterruptWatch::Start(std::function<bool()> onInterrupt)
{
    Pipes& pipes = SharedPipes();
    if (m_running || pipes.interrupt[0] < 0)
        return false;
    Drain(pipes.interrupt[0]);
    Drain(pipes.stop[0]);
    m_onInterrupt = std::move(onInterrupt);
    g_interruptWriteEnd = pipes.interrupt[1];
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (sigaction(SIGINT, &action, &m_previous) != 0)
        return false;
    m_running = true;
    if (!m_thread.Start([this] { Watch(); })) {
        sigaction(SIGINT, &m_previous, nullptr);
        m_running = false;
    }
    return m_running;
}

void CInterruptWatch::Stop()
{
    if (!m_running)
        return;
    sigaction(SIGINT, &m_previous, nullptr);
    Poke(SharedPipes().stop[1]);
    m_thread.Join();
    m_running = false;
}

void CInterruptWatch::Watch()
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
            if (!m_onInterrupt())
                PassOn();
        }
    }
}

void CInterruptWatch::PassOn()
{
    sigaction(SIGINT, &m_previous, nullptr);
    raise(SIGINT);
}

}  // namespace platform::posix
