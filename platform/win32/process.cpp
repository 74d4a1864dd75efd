#include "platform/process.h"

#include "platform/win32/handle.h"

#include <algorithm>

namespace platform {
namespace {

// The program's own name quoted as the system's command-line rules read it back; the
// parameters are a command line already and follow it unchanged.
std::wstring CommandLine(const std::wstring& file, const std::wstring& parameters)
{
    std::wstring line = L"\"" + file + L"\"";
    if (!parameters.empty())
        line += L" " + parameters;
    return line;
}

// The program and the folder as the system writes paths: a started program reads its
// current folder back and may not take '/' in it.
std::wstring WithBackslashes(std::wstring path)
{
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

bool Failed(DWORD error, std::wstring* failure)
{
    if (failure)
        *failure = win32::SystemErrorText(error);
    return false;
}

}  // namespace

// Only executes: CreateProcessW never opens a document with whatever program is
// associated with it. The program gets a process group of its own, so a Ctrl+C meant
// for the updater does not end it, and inherits no handle.
bool ShellOpen(const std::wstring& file, const std::wstring& parameters, const std::wstring& workingFolder,
               std::wstring* failure)
{
    if (file.find(L'"') != std::wstring::npos)
        return Failed(ERROR_INVALID_NAME, failure);
    const std::wstring program = WithBackslashes(file);
    const std::wstring folder = WithBackslashes(workingFolder);
    std::wstring commandLine = CommandLine(program, parameters);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_NEW_PROCESS_GROUP | CREATE_UNICODE_ENVIRONMENT, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &started))
        return Failed(GetLastError(), failure);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return true;
}

unsigned CurrentProcessId()
{
    return static_cast<unsigned>(GetCurrentProcessId());
}

}  // namespace platform
