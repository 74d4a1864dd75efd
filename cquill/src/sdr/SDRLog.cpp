#include "cquill/src/sdr/SDRLog.h"

#include "cquill/src/quill/CCriticalSection.h"
#include "platform/ini.h"
#include "platform/module_path.h"

#include <cstring>
#include <cwctype>
#include <filesystem>
#include <fstream>

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
    std::wstring path;
    {
        threading::CLockGuard guard(LogFileLock());
        path = path_;
    }
    AppendToFile(path, bytes, count);
}

bool AppendToFile(const std::wstring& path, const char* bytes, std::size_t count)
{
    threading::CLockGuard guard(LogFileLock());
    if (!bytes || count == 0 || path.empty())
        return false;
    // Append mode creates a missing file but never a missing folder.
    std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::app);
    if (!file)
        return false;
    file.write(bytes, static_cast<std::streamsize>(count));
    file.close();
    return !file.fail();
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
    std::wstring path = platform::ExecutablePath();
    const auto slash = path.rfind(L'/');
    if (slash == std::wstring::npos)
        return path + L'/';
    path.resize(slash + 1);
    return path;
}

void InitialiseDirectoryLog()
{
    const std::wstring folder = GetModuleDirectory();
    const std::wstring configPath = folder + L"SysCfg/SDRLOG.INI";
    const std::wstring logPath = folder + L"log/SDR.log";
    DirectoryLog().Configure(logPath, ReadLevel(configPath));
}

}  // namespace quill::sdr
