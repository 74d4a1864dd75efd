#include "vexa/control/UpdateLog.h"

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/wide_format.h"
#include "vexa/control/FileUtils.h"
#include "vexa/control/ModuleFolders.h"
#include "vexa/xml/WideUnits.h"

#include <cstdarg>
#include <cstdint>
#include <ctime>
#include <cwchar>
#include <iterator>

namespace {

const std::size_t kMessageLimit = 1000;
const std::size_t kTimestampLimit = 128;
const std::size_t kLogValueLimit = 256;
const std::uint64_t kMebibyte = 1048576;
const std::uint64_t kLargestKeptMebibytes = 10;
const wchar_t* const kRule = L"-----------------------------------";

std::wstring Timestamp()
{
    const std::tm now = platform::LocalTimeNow();
    wchar_t buffer[kTimestampLimit];
    const std::size_t length = std::wcsftime(buffer, kTimestampLimit, L"%c", &now);
    return std::wstring(buffer, length);
}

// The file holds UTF-16 units, low byte first.
std::string Utf16LeBytes(const std::wstring& text)
{
    return Utf16Bytes(Utf16UnitsFromWide(std::wstring_view(text)), false);
}

// A log left at 11 MiB or more by earlier runs starts over.
void DeleteIfTooLarge(const std::wstring& path)
{
    std::uint64_t size = 0;
    int error = 0;
    if (platform::FileSize(path, size, error) && size / kMebibyte > kLargestKeptMebibytes)
        platform::RemoveFile(path);
}

bool IsControl(wchar_t c)
{
    return c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0x2028 || c == 0x2029;
}

std::wstring EscapeControls(const std::wstring& message)
{
    std::wstring escaped;
    escaped.reserve(message.size());
    for (const wchar_t c : message) {
        if (!IsControl(c)) {
            escaped += c;
            continue;
        }
        wchar_t code[8];
        std::swprintf(code, std::size(code), c > 0xFF ? L"\\x%04X" : L"\\x%02X", static_cast<unsigned>(c));
        escaped += code;
    }
    return escaped;
}

}  // namespace

CUpdateLog::CUpdateLog()
{
    const std::wstring folder = GetLogFolder();
    if (!FileExists(folder))
        EnsurePathDir(folder);
    path_ = folder + L"update.log";
    DeleteIfTooLarge(path_);
    const bool existed = FileExists(path_);
    file_ = platform::OpenFileStream(path_, "a+b");
    if (file_ && !existed) {
        std::fwrite("\xFF\xFE", 1, 2, file_);
        std::fflush(file_);
    }
}

void CUpdateLog::WriteHeader()
{
    WriteLine(kRule);
    WriteLine(L"starting vexa module");
    WriteLine(L"Log File: " + path_);
    WriteLine(kRule);
}

void CUpdateLog::WriteLine(const std::wstring& message)
{
    if (!file_)
        return;
    const std::string bytes = Utf16LeBytes(Timestamp() + L": " + message + L"\r\n");
    std::fwrite(bytes.data(), 1, bytes.size(), file_);
    std::fflush(file_);
}

CUpdateLog& GetUpdateLog()
{
    static CUpdateLog* const log = [] {
        auto* created = new CUpdateLog();
        created->WriteHeader();
        return created;
    }();
    return *log;
}

void WriteLog(const wchar_t* format, ...)
{
    CUpdateLog& log = GetUpdateLog();
    std::va_list args;
    va_start(args, format);
    std::wstring message;
    const bool fits = platform::FormatWindowsWide(message, kMessageLimit, format, args);
    va_end(args);
    if (fits)
        log.WriteLine(EscapeControls(message));
}

std::wstring LogValue(const std::wstring& value)
{
    if (value.size() <= kLogValueLimit)
        return value;
    return value.substr(0, kLogValueLimit) + L"...";
}
