#pragma once
#include <string>

namespace testing_support {

// The system's suffix for programs (Windows starts and copies "name.exe", never "name").
#ifdef _WIN32
inline constexpr const char* kProgramSuffix = ".exe";
#else
inline constexpr const char* kProgramSuffix = "";
#endif

// A program built beside the test programs, by its name without the suffix.
inline std::string TestProgram(const std::string& name)
{
    return TEST_BIN_DIR "/" + name + kProgramSuffix;
}

}  // namespace testing_support
