#pragma once
#include <string>

namespace testing_support {

// A program built beside the test programs, by its name without the system's suffix
// for programs (Windows starts and copies "name.exe", never "name").
inline std::string TestProgram(const std::string& name)
{
#ifdef _WIN32
    return TEST_BIN_DIR "/" + name + ".exe";
#else
    return TEST_BIN_DIR "/" + name;
#endif
}

}  // namespace testing_support
