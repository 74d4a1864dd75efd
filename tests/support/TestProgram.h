#pragma once
#include <string>

namespace testing_support {

// The system's suffix for programs (Windows starts and copies "name.exe", never "name"),
// and what ends a line of a program's text output: text mode writes "\r\n" on Windows.
#ifdef _WIN32
inline constexpr const char* kProgramSuffix = ".exe";
inline const std::string kLineEnd = "\r\n";
#else
inline constexpr const char* kProgramSuffix = "";
inline const std::string kLineEnd = "\n";
#endif

// A program built beside the test programs, by its name without the suffix.
inline std::string TestProgram(const std::string& name)
{
    return TEST_BIN_DIR "/" + name + kProgramSuffix;
}

}  // namespace testing_support
