#include "tests/support/ChildProcess.h"

#include <stdexcept>

namespace testing_support {

using namespace platform::testing;

ChildProcess::ChildProcess(const std::string& program, ChildOptions options)
{
    const ChildStart start{program, options.arguments, options.environment, options.workingFolder};
    if (!StartChild(start, child_))
        throw std::runtime_error("cannot start " + program);
    WriteAndClosePipe(child_.input, options.input);
    reader_ = std::thread([this] { ReadOutput(); });
}

ChildProcess::~ChildProcess()
{
    if (!ended_) {
        Kill();
        Reap(true);
    }
    {
        std::lock_guard lock(outputLock_);
        stopReading_ = true;
    }
    if (reader_.joinable())
        reader_.join();
    ReleaseChild(child_);
}

void ChildProcess::ReadOutput()
{
    PipeHandle pipes[2] = {child_.output, child_.error};
    std::string* targets[2] = {&stdout_, &stderr_};
    int open = 2;
    int quietRounds = 0;
    while (open > 0) {
        bool quiet = true;
        for (int i = 0; i < 2; ++i) {
            if (pipes[i] == kNoPipe)
                continue;
            char buffer[4096];
            const auto got = ReadPipe(pipes[i], buffer, sizeof(buffer), 10);
            if (got < 0)
                continue;
            quiet = false;
            if (got > 0) {
                std::lock_guard lock(outputLock_);
                targets[i]->append(buffer, static_cast<size_t>(got));
            } else {
                ClosePipe(pipes[i]);
                pipes[i] = kNoPipe;
                --open;
            }
        }
        // Once the child is gone, a grandchild holding the pipes must not keep us here. What
        // the child wrote last may come while a round waits on the other pipe: rounds go by
        // until one has been quiet from start to end after the child's end was seen.
        std::lock_guard lock(outputLock_);
        quietRounds = quiet && stopReading_ ? quietRounds + 1 : 0;
        if (quietRounds >= 2)
            break;
    }
    for (const PipeHandle pipe : pipes)
        ClosePipe(pipe);
}

void ChildProcess::Reap(bool block)
{
    if (ended_)
        return;
    ChildEnd end;
    if (!ReapChild(child_, block, end))
        return;
    ended_ = true;
    exitCode_ = end.exitCode;
    termSignal_ = end.signal;
}

bool ChildProcess::Wait(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        Reap(false);
        if (ended_)
            break;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // Let the reader take what the child wrote before it ended.
    {
        std::lock_guard lock(outputLock_);
        stopReading_ = true;
    }
    if (reader_.joinable())
        reader_.join();
    return true;
}

bool ChildProcess::Running()
{
    Reap(false);
    return !ended_;
}

void ChildProcess::Kill(int signal)
{
    if (!ended_)
        KillChild(child_, signal);
}

std::string ChildProcess::Stdout()
{
    std::lock_guard lock(outputLock_);
    return stdout_;
}

std::string ChildProcess::Stderr()
{
    std::lock_guard lock(outputLock_);
    return stderr_;
}

}  // namespace testing_support
