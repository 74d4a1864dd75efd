#pragma once
#include <string>

namespace platform {

// Full path of the running executable, from /proc/self/exe.
std::wstring ExecutablePath();
// The folder of the running executable (not of a library in it), with its trailing '/'.
std::wstring ExecutableFolder();

}  // namespace platform
