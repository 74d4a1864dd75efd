#pragma once

namespace platform::win32 {

// Starts Windows Sockets once for the whole process, on first need, and never ends
// it: sockets, name resolution and the layer's counted start-up all stand on it.
bool EnsureWinsock();

}  // namespace platform::win32
