#pragma once
// The system's own error numbers the platform layer reports: Windows' codes there,
// errno values elsewhere.
#include <cerrno>

namespace testing_support {

#ifdef _WIN32
constexpr int kNotFound = 2;      // ERROR_FILE_NOT_FOUND
constexpr int kIsFolder = 5;      // ERROR_ACCESS_DENIED, for a folder opened as a file
constexpr int kNotAFolder = 267;  // ERROR_DIRECTORY
#else
constexpr int kNotFound = ENOENT;
constexpr int kIsFolder = EISDIR;
constexpr int kNotAFolder = ENOTDIR;
#endif

}  // namespace testing_support
