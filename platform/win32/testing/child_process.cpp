#include "platform/testing/child_process.h"

#include "platform/text.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace platform::testing {
namespace {

// One argument quoted the way a Windows program splits its command line back.
std::wstring QuotedArgument(const std::wstring& argument)
{
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos)
        return argument;
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

// A started program reads its folder back and may not take '/' for a separator.
std::wstring WindowsPath(const std::string& path)
{
    std::wstring wide = WideFromUtf8(path);
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    return wide;
}

std::wstring CommandLine(const ChildStart& start)
{
    std::wstring line = QuotedArgument(WindowsPath(start.program));
    for (const std::string& argument : start.arguments)
        line += L" " + QuotedArgument(WideFromUtf8(argument));
    return line;
}

// "NAME=value" entries, each ended by a null, the block by one more.
std::wstring EnvironmentBlock(const Environment& extra)
{
    std::wstring block;
    for (const std::string& entry : MergedEnvironment(extra)) {
        block += WideFromUtf8(entry);
        block += L'\0';
    }
    block += L'\0';
    return block;
}

// A pipe whose child end is inherited and whose test end is not.
bool MakePipe(HANDLE& read, HANDLE& write, bool childReads)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    if (!CreatePipe(&read, &write, &inherit, 0))
        return false;
    SetHandleInformation(childReads ? write : read, HANDLE_FLAG_INHERIT, 0);
    return true;
}

HANDLE AsHandle(std::intptr_t value)
{
    return reinterpret_cast<HANDLE>(value);
}

std::intptr_t AsValue(HANDLE handle)
{
    return reinterpret_cast<std::intptr_t>(handle);
}

}  // namespace

std::vector<std::string> OwnEnvironment()
{
    std::vector<std::string> texts;
    wchar_t* strings = GetEnvironmentStringsW();
    for (const wchar_t* entry = strings; entry && *entry; entry += wcslen(entry) + 1)
        texts.push_back(Utf8FromWide(entry));
    FreeEnvironmentStringsW(strings);
    return texts;
}

bool StartChild(const ChildStart& start, ChildHandles& child)
{
    HANDLE inRead, inWrite, outRead, outWrite, errRead, errWrite;
    if (!MakePipe(inRead, inWrite, true) || !MakePipe(outRead, outWrite, false) || !MakePipe(errRead, errWrite, false))
        return false;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inRead;
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    std::wstring commandLine = CommandLine(start);
    std::wstring environment = EnvironmentBlock(start.environment);
    const std::wstring folder = WindowsPath(start.workingFolder);
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                        CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, environment.data(),
                                        folder.empty() ? nullptr : folder.c_str(), &startup, &process);
    CloseHandle(inRead);
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    if (!started) {
        CloseHandle(inWrite);
        CloseHandle(outRead);
        CloseHandle(errRead);
        return false;
    }
    CloseHandle(process.hThread);
    child.process = AsValue(process.hProcess);
    child.id = process.dwProcessId;
    child.input = AsValue(inWrite);
    child.output = AsValue(outRead);
    child.error = AsValue(errRead);
    return true;
}

bool ReapChild(ChildHandles& child, bool block, ChildEnd& end)
{
    if (WaitForSingleObject(AsHandle(child.process), block ? INFINITE : 0) != WAIT_OBJECT_0)
        return false;
    DWORD code = 0;
    GetExitCodeProcess(AsHandle(child.process), &code);
    if (child.killedWith != 0)
        end.signal = child.killedWith;
    else
        end.exitCode = static_cast<int>(code);
    return true;
}

void KillChild(ChildHandles& child, int signal)
{
    if (TerminateProcess(AsHandle(child.process), 128 + static_cast<UINT>(signal)))
        child.killedWith = signal;
}

void ReleaseChild(ChildHandles& child)
{
    if (child.process != -1)
        CloseHandle(AsHandle(child.process));
    child.process = -1;
}

bool NoChildrenLeft()
{
    return true;
}

// Anonymous pipes cannot be waited on: peek until bytes come, the writer closes or
// the time runs out.
std::ptrdiff_t ReadPipe(PipeHandle pipe, char* buffer, std::size_t size, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(AsHandle(pipe), nullptr, 0, nullptr, &available, nullptr))
            return 0;
        if (available > 0) {
            DWORD got = 0;
            const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size, available));
            return ReadFile(AsHandle(pipe), buffer, wanted, &got, nullptr) ? static_cast<std::ptrdiff_t>(got) : 0;
        }
        if (timeoutMs >= 0 && std::chrono::steady_clock::now() >= deadline)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void WriteAndClosePipe(PipeHandle pipe, const std::string& bytes)
{
    DWORD written = 0;
    if (!bytes.empty())
        WriteFile(AsHandle(pipe), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ClosePipe(pipe);
}

void ClosePipe(PipeHandle pipe)
{
    if (pipe != kNoPipe)
        CloseHandle(AsHandle(pipe));
}

}  // namespace platform::testing
