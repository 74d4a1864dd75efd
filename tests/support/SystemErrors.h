#pragma once
// The system's own error numbers the platform layer reports: Windows' codes there,
// errno values elsewhere.
#include <cerrno>
#include <string>
#include <vector>

namespace testing_support {

#ifdef _WIN32
constexpr int kNotFound = 2;      // ERROR_FILE_NOT_FOUND
constexpr int kIsFolder = 5;      // ERROR_ACCESS_DENIED, for a folder opened as a file
constexpr int kNotAFolder = 267;  // ERROR_DIRECTORY
constexpr int kThroughAFile = 3;  // ERROR_PATH_NOT_FOUND, for a path that goes on below a file
#else
constexpr int kNotFound = ENOENT;
constexpr int kIsFolder = EISDIR;
constexpr int kNotAFolder = ENOTDIR;
constexpr int kThroughAFile = ENOTDIR;
#endif

// The system's words for why a program did not start (wine has words of its own):
// the file is no program, or there is no such file.
#ifdef _WIN32
inline const std::vector<std::wstring> kNoProgramWords = {L"%1 is not a valid Win32 application",
                                                          L"Bad EXE format for %1"};
inline const std::vector<std::wstring> kNotFoundWords = {L"The system cannot find the file specified",
                                                         L"File not found"};
#else
inline const std::vector<std::wstring> kNoProgramWords = {L"Permission denied"};
inline const std::vector<std::wstring> kNotFoundWords = {L"No such file or directory"};
#endif

}  // namespace testing_support
