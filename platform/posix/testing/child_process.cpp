#include "platform/testing/child_process.h"

#include "platform/posix/testing/argument_pointers.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform::testing {
namespace {

bool MakePipe(int fds[2])
{
    return pipe2(fds, O_CLOEXEC) == 0;
}

[[noreturn]] void ExecChild(const int in[2], const int out[2], const int err[2], const ChildStart& start,
                            const std::vector<char*>& argv, const std::vector<char*>& envp)
{
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    if (!start.workingFolder.empty() && chdir(start.workingFolder.c_str()) != 0)
        _exit(126);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
}

}  // namespace

std::vector<std::string> OwnEnvironment()
{
    std::vector<std::string> texts;
    for (char** entry = environ; *entry; ++entry)
        texts.emplace_back(*entry);
    return texts;
}

bool StartChild(const ChildStart& start, ChildHandles& child)
{
    std::vector<std::string> argvTexts{start.program};
    argvTexts.insert(argvTexts.end(), start.arguments.begin(), start.arguments.end());
    std::vector<std::string> envTexts = MergedEnvironment(start.environment);
    const std::vector<char*> argv = ArgumentPointers(argvTexts);
    const std::vector<char*> envp = ArgumentPointers(envTexts);

    int in[2], out[2], err[2];
    if (!MakePipe(in) || !MakePipe(out) || !MakePipe(err))
        return false;
    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0)
        ExecChild(in, out, err, start, argv, envp);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    // The child may end without reading its input; a broken pipe must not end the test.
    signal(SIGPIPE, SIG_IGN);
    child.process = pid;
    child.id = static_cast<unsigned>(pid);
    child.input = in[1];
    child.output = out[0];
    child.error = err[0];
    return true;
}

bool ReapChild(ChildHandles& child, bool block, ChildEnd& end)
{
    int status = 0;
    pid_t result;
    do
        result = waitpid(static_cast<pid_t>(child.process), &status, block ? 0 : WNOHANG);
    while (result < 0 && errno == EINTR);
    if (result != static_cast<pid_t>(child.process))
        return false;
    if (WIFEXITED(status))
        end.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        end.signal = WTERMSIG(status);
    return true;
}

void KillChild(ChildHandles& child, int signal)
{
    kill(static_cast<pid_t>(child.process), signal);
}

void ReleaseChild(ChildHandles& child)
{
    child.process = -1;
}

bool NoChildrenLeft()
{
    return waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD;
}

std::ptrdiff_t ReadPipe(PipeHandle pipe, char* buffer, std::size_t size, int timeoutMs)
{
    pollfd waiting{static_cast<int>(pipe), POLLIN, 0};
    if (poll(&waiting, 1, timeoutMs) != 1)
        return -1;
    ssize_t got;
    do
        got = read(static_cast<int>(pipe), buffer, size);
    while (got < 0 && errno == EINTR);
    return got < 0 ? 0 : got;
}

void WriteAndClosePipe(PipeHandle pipe, const std::string& bytes)
{
    (void)!write(static_cast<int>(pipe), bytes.data(), bytes.size());
    ClosePipe(pipe);
}

void ClosePipe(PipeHandle pipe)
{
    if (pipe != kNoPipe)
        close(static_cast<int>(pipe));
}

}  // namespace platform::testing
