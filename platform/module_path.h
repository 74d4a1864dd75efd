#pragma once
#include <string>

namespace platform {

// Full path of the running executable, with '/' between folders.
std::wstring ExecutablePath();
// The folder of the running executable (not of a library in it), with its trailing '/'.
std::wstring ExecutableFolder();

}  // namespace platform
