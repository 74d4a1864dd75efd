#include "platform/process.h"

#include "platform/files.h"
#include "platform/socket.h"
#include "platform/text.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {
namespace {

std::vector<std::string> ProgramCommand(const std::string& program, const std::wstring& parameters)
{
    std::vector<std::string> command{program};
    for (const auto& parameter : SplitParameters(parameters))
        command.push_back(NativePath(parameter));
    return command;
}

bool Failed(int error, std::wstring* failure)
{
    if (failure)
        *failure = WideFromUtf8(SocketErrorText(error));
    return false;
}

// Runs in the forked child: only async-signal-safe calls until exec. A grandchild
// runs the program in its own session so that it outlives us and init reaps it;
// an exec failure travels back through the pipe.
[[noreturn]] void RunDetached(char* const* argv, const char* folder, int reportFd)
{
    if (setsid() < 0 || (folder[0] && chdir(folder) != 0)) {
        const int error = errno;
        (void)!write(reportFd, &error, sizeof(error));
        _exit(1);
    }
    const pid_t grandchild = fork();
    if (grandchild == 0) {
        execve(argv[0], argv, environ);
        const int error = errno;
        (void)!write(reportFd, &error, sizeof(error));
        _exit(127);
    }
    _exit(grandchild < 0 ? 1 : 0);
}

}  // namespace

bool ShellOpen(const std::wstring& file, const std::wstring& parameters, const std::wstring& workingFolder,
               std::wstring* failure)
{
    // The program changes folder before exec, so a relative name must not travel.
    std::error_code error;
    const std::string program = std::filesystem::absolute(NativePath(file), error).string();
    std::vector<std::string> command = ProgramCommand(program, parameters);
    std::vector<char*> argv;
    for (auto& argument : command)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    const std::string folder = NativePath(workingFolder);

    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0)
        return Failed(errno, failure);
    const pid_t child = fork();
    if (child == 0)
        RunDetached(argv.data(), folder.c_str(), report[1]);
    const int forkError = errno;
    close(report[1]);
    int status = 0;
    if (child > 0)
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    int childError = 0;
    ssize_t got;
    do
        got = read(report[0], &childError, sizeof(childError));
    while (got < 0 && errno == EINTR);
    close(report[0]);
    if (child < 0)
        return Failed(forkError, failure);
    if (got > 0)
        return Failed(childError, failure);
    // The middle process reports nothing only when it could not fork the program.
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return Failed(EAGAIN, failure);
    return true;
}

unsigned CurrentProcessId()
{
    return static_cast<unsigned>(getpid());
}

}  // namespace platform
