#pragma once
#include <string>

namespace platform::testing {

// Makes a named pipe (FIFO) at the UTF-8 path. False where the file system has none
// (Windows).
bool MakeNamedPipe(const std::string& path);

// Leaves what a killed owner of a local datagram endpoint leaves: its socket file with
// nobody bound to it. False where endpoints are no files (Windows).
bool LeaveDeadEndpoint(const std::string& path);

}  // namespace platform::testing
