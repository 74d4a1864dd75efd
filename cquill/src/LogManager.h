#pragma once
#include <cwchar>
#include <string_view>
#include <vector>

#include <log4cplus/logger.h>

namespace quill {

// The library's logging holder: configures log4cplus once, on first use, and keeps the
// loggers. Every line of the library goes to the first one, "mox". Without a configuration
// file the library logs nothing at all.
class CLogManager {
public:
    static CLogManager& Instance();

    log4cplus::Logger& LibraryLogger() { return loggers_.front(); }
    bool IsEnabledFor(log4cplus::LogLevel level) const { return configured_ && loggers_.front().isEnabledFor(level); }

private:
    CLogManager();

    std::vector<log4cplus::Logger> loggers_;
    bool configured_ = false;
};

// Where a log call was made. The builtins (rather than std::source_location) also work
// with the clang of the fuzz build.
struct LogSite {
    const char* file;
    int line;
    const char* function;
};

// A log text together with the place of the call that logs it.
struct LogFormat {
    LogFormat(const wchar_t* text, const char* file = __builtin_FILE(), int line = __builtin_LINE(),
              const char* function = __builtin_FUNCTION())
        : text(text), where{file, line, function} {}

    const wchar_t* text;
    LogSite where;
};

// Hands one finished line to the library logger; the caller has tested the level.
void WriteLogLine(log4cplus::LogLevel level, std::wstring_view line, const LogSite& where);

// Logs one line to the library logger when the level is enabled; printf-style
// placeholders are filled only then.
template <class... Args>
void LogLine(log4cplus::LogLevel level, LogFormat format, Args... args)
{
    if (!CLogManager::Instance().IsEnabledFor(level))
        return;
    if constexpr (sizeof...(Args) == 0) {
        WriteLogLine(level, format.text, format.where);
    } else {
        wchar_t line[1024];
        line[0] = L'\0';
        const int length = std::swprintf(line, std::size(line), format.text, args...);
        // A line too long for the buffer fails the call but is still there, cut: write that.
        // (MinGW's runtime returns the length the whole line would have had instead.)
        line[std::size(line) - 1] = L'\0';
        const bool cut = length < 0 || static_cast<std::size_t>(length) >= std::size(line);
        WriteLogLine(level, std::wstring_view(line, cut ? std::wcslen(line) : static_cast<std::size_t>(length)),
                     format.where);
    }
}

template <class... Args>
void LogInfo(LogFormat format, Args... args)
{
    LogLine(log4cplus::INFO_LOG_LEVEL, format, args...);
}

template <class... Args>
void LogError(LogFormat format, Args... args)
{
    LogLine(log4cplus::ERROR_LOG_LEVEL, format, args...);
}

}  // namespace quill
