#pragma once
#include <windows.h>

namespace platform::win32 {

// The module (program or library) this code is linked into: windows and their
// classes belong to it.
HINSTANCE OwnModule();

// Registers a window class of this module once; false when the system refuses.
bool RegisterWindowClass(const wchar_t* name, WNDPROC procedure);

}  // namespace platform::win32
