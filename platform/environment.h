#pragma once
#include <string>

namespace platform {

// The value of an environment variable as UTF-8; empty when it is not set. On Windows
// the value is read wide, so a path in it keeps characters the code page lacks.
std::string EnvironmentVariable(const char* name);

}  // namespace platform
