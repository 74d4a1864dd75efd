#pragma once
#include <string>

namespace platform::testing {

// Makes a named pipe (FIFO) at the UTF-8 path. False where the file system has none
// (Windows).
bool MakeNamedPipe(const std::string& path);

}  // namespace platform::testing
