#include "tests/support/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testing_support {
namespace {

void MakePipe(int fds[2])
{
    if (pipe2(fds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
}

}  // namespace

std::vector<std::string> MergedEnvironment(const std::vector<std::pair<std::string, std::string>>& extra)
{
    std::map<std::string, std::string> merged;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        const auto equals = text.find('=');
        if (equals != std::string::npos)
            merged[text.substr(0, equals)] = text.substr(equals + 1);
    }
    for (const auto& [name, value] : extra)
        merged[name] = value;
    std::vector<std::string> result;
    for (const auto& [name, value] : merged)
        result.push_back(name + "=" + value);
    return result;
}

std::vector<char*> Pointers(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (auto& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

ChildProcess::ChildProcess(const std::string& program, ChildOptions options)
{
    std::vector<std::string> argvTexts{program};
    argvTexts.insert(argvTexts.end(), options.arguments.begin(), options.arguments.end());
    std::vector<std::string> envTexts = MergedEnvironment(options.environment);
    const std::vector<char*> argv = Pointers(argvTexts);
    const std::vector<char*> envp = Pointers(envTexts);

    int in[2], out[2], err[2];
    MakePipe(in);
    MakePipe(out);
    MakePipe(err);
    pid_ = fork();
    if (pid_ < 0)
        throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        if (!options.workingFolder.empty() && chdir(options.workingFolder.c_str()) != 0)
            _exit(126);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    // The child may end without reading its input; a broken pipe must not end the test.
    signal(SIGPIPE, SIG_IGN);
    (void)!write(in[1], options.input.data(), options.input.size());
    close(in[1]);
    reader_ = std::thread([this, outFd = out[0], errFd = err[0]] { ReadOutput(outFd, errFd); });
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
}

void ChildProcess::ReadOutput(int outFd, int errFd)
{
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    std::string* targets[2] = {&stdout_, &stderr_};
    int open = 2;
    while (open > 0) {
        const int ready = poll(fds, 2, 20);
        if (ready == 0) {
            // Once the child is gone, a grandchild holding the pipes must not keep us here.
            std::lock_guard lock(outputLock_);
            if (stopReading_)
                break;
            continue;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buffer[4096];
            const ssize_t got = read(fds[i].fd, buffer, sizeof(buffer));
            if (got > 0) {
                std::lock_guard lock(outputLock_);
                targets[i]->append(buffer, static_cast<size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (const auto& fd : fds)
        if (fd.fd >= 0)
            close(fd.fd);
}

void ChildProcess::Reap(bool block)
{
    if (ended_)
        return;
    int status = 0;
    pid_t result;
    do
        result = waitpid(pid_, &status, block ? 0 : WNOHANG);
    while (result < 0 && errno == EINTR);
    if (result != pid_)
        return;
    ended_ = true;
    if (WIFEXITED(status))
        exitCode_ = WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        termSignal_ = WTERMSIG(status);
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
        kill(pid_, signal);
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
