#pragma once
#include <string>

namespace platform {

// Full path of the running executable, from /proc/self/exe.
std::wstring ExecutablePath();

}  // namespace platform
