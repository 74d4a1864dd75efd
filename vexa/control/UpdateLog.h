#pragma once
#include <cstdio>
#include <string>

// The updater's log, module folder + "log/update.log": UTF-16LE text, one
// "<local time>: <message>\r\n" line per call, flushed at once. Opened on the first
// line of the process and started afresh when an earlier run left 11 MiB or more.
class CUpdateLog {
public:
    CUpdateLog();
    CUpdateLog(const CUpdateLog&) = delete;
    CUpdateLog& operator=(const CUpdateLog&) = delete;

    // Appends one line with the current time; lost when there is no file.
    void WriteLine(const std::wstring& message);

    // The four lines that open each run's part of the log.
    void WriteHeader();

private:
    std::wstring path_;
    std::FILE* file_ = nullptr;
};

// The process-wide log, created on first use and never destroyed.
CUpdateLog& GetUpdateLog();

// Formats (Windows wide printf conventions: %s takes a wide string) and appends one
// line. A message of 1,000 characters or more is dropped. Control characters are
// written as "\xNN", so no value can start a line of its own.
void WriteLog(const wchar_t* format, ...);

// A value from outside (the server, a file list) cut to a length that leaves its
// log line well under the limit; a cut value ends in "...".
std::wstring LogValue(const std::wstring& value);
