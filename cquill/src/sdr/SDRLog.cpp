#include "cquill/src/sdr/SDRLog.h"

#include "cquill/src/quill/CCriticalSection.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "platform/module_path.h"

#include <cstdio>
#include <cstring>
#include <cwctype>

namespace quill::sdr {

namespace {

constexpr int kInfo = 4;
constexpr std::size_t kLevelBuffer = 100;

threading::CCriticalSection& LogFileLock()
{
    static threading::CCriticalSection lock;
    return lock;
}

bool EqualNoCase(std::wstring_view left, std::wstring_view right)
{
    if (left.size() != right.size())
        return false;
    for (std::size_t i = 0; i < left.size(); ++i) {
        if (std::towlower(left[i]) != std::towlower(right[i]))
            return false;
    }
    return true;
}

}  // namespace

SDRLog& DirectoryLog()
{
    static SDRLog log;
    return log;
}

void SDRLog::Configure(const std::wstring& path, int level)
{
    threading::CLockGuard guard(LogFileLock());
    path_ = path;
    level_ = level;
}

void SDRLog::Write(const char* text)
{
    if (text)
        Append(text, std::strlen(text));
}

void SDRLog::Write(const std::string& text)
{
    Append(text.data(), text.size());
}

void SDRLog::Append(const char* bytes, std::size_t count)
{
    if (count == 0 || level_ < kInfo)
        return;
    // A diagnostic log that fails must not fail the lookup it describes.
    try {
        std::wstring path;
        {
            threading::CLockGuard guard(LogFileLock());
            path = path_;
        }
        AppendToFile(path, bytes, count);
    } catch (...) {
    }
}

bool AppendToFile(const std::wstring& path, const char* bytes, std::size_t count)
{
    threading::CLockGuard guard(LogFileLock());
    if (!bytes || count == 0 || path.empty())
        return false;
    // Append mode creates a missing file but never a missing folder.
    std::FILE* file = platform::OpenFileStream(path, "ab");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes, 1, count, file) == count;
    return std::fclose(file) == 0 && written;
}

int ReadLevel(const std::wstring& configPath)
{
    const std::wstring value = platform::ReadProfileString(configPath, L"SDR", L"LOG_LEVEL", L"NONE", kLevelBuffer);
    const std::pair<const wchar_t*, int> levels[] = {{L"Error", 1}, {L"Debug", 2}, {L"Waring", 3}, {L"Info", kInfo}};
    for (const auto& [name, level] : levels) {
        if (EqualNoCase(value, name))
            return level;
    }
    return 0;
}

std::wstring GetModuleDirectory()
{
    return platform::ExecutableFolder();
}

void InitialiseDirectoryLog()
{
    // Called from the client's InitialSDR: a log that cannot be set up stays off.
    try {
        const std::wstring folder = GetModuleDirectory();
        const std::wstring configPath = folder + L"SysCfg/SDRLOG.INI";
        const std::wstring logPath = folder + L"log/SDR.log";
        DirectoryLog().Configure(logPath, ReadLevel(configPath));
    } catch (...) {
    }
}

}  // namespace quill::sdr
