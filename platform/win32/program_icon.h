#pragma once
#include <windows.h>

namespace platform::win32 {

// Gives the window the program's icon (its first icon resource), large and small; a
// program without one leaves the window as it is.
void ShowProgramIcon(HWND window);

}  // namespace platform::win32
