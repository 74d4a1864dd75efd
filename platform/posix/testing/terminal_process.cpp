#include "platform/testing/terminal_process.h"

#include "platform/posix/testing/argument_pointers.h"
#include "platform/testing/child_process.h"

#include <pty.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <stdexcept>
#include <thread>

namespace platform::testing {
namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

CTerminalProcess::CTerminalProcess(const std::string& program, const std::vector<std::string>& arguments,
                                   const std::vector<std::pair<std::string, std::string>>& environment)
{
    std::vector<std::string> argvTexts{program};
    argvTexts.insert(argvTexts.end(), arguments.begin(), arguments.end());
    std::vector<std::string> envTexts = MergedEnvironment(environment);
    const std::vector<char*> argv = ArgumentPointers(argvTexts);
    const std::vector<char*> envp = ArgumentPointers(envTexts);
    winsize size{};
    size.ws_row = 24;
    size.ws_col = 100;
    pid_ = forkpty(&master_, nullptr, nullptr, &size);
    if (pid_ < 0)
        throw std::runtime_error("forkpty failed");
    if (pid_ == 0) {
        // The test runner may ignore SIGINT; a person's shell would not.
        signal(SIGINT, SIG_DFL);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
}

CTerminalProcess::~CTerminalProcess()
{
    if (!ended_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    close(master_);
}

void CTerminalProcess::Type(const std::string& text)
{
    if (write(master_, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        throw std::runtime_error("typing into the terminal failed");
}

bool CTerminalProcess::WaitForOutput(const std::string& text, std::size_t from, std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    while (output_.find(text, from) == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0 || Read(left) < 0)
            return output_.find(text, from) != std::string::npos;
    }
    return true;
}

bool CTerminalProcess::Wait(std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
        const bool open = Read(std::chrono::milliseconds(50)) >= 0;
        if (Reap()) {
            while (Read(std::chrono::milliseconds(0)) > 0) {
            }
            return true;
        }
        if (!open)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

int CTerminalProcess::Read(std::chrono::milliseconds timeout)
{
    pollfd wait{master_, POLLIN, 0};
    const int ready = poll(&wait, 1, static_cast<int>(timeout.count()));
    if (ready == 0 || (ready < 0 && errno == EINTR))
        return 0;
    char buffer[4096];
    const ssize_t count = ready < 0 ? -1 : read(master_, buffer, sizeof buffer);
    if (count <= 0)
        return -1;
    output_.append(buffer, static_cast<std::size_t>(count));
    return static_cast<int>(count);
}

bool CTerminalProcess::Reap()
{
    if (ended_)
        return true;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) != pid_)
        return false;
    ended_ = true;
    if (WIFEXITED(status))
        exitCode_ = WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        termSignal_ = WTERMSIG(status);
    return true;
}

}  // namespace platform::testing
