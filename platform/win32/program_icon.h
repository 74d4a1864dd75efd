#pragma once
#include <windows.h>

namespace platform::win32 {

// Gives a window of this thread the program's icon (its first icon resource), large and
// small; a program without one leaves the window as it is.
void ShowProgramIcon(HWND window);
// The same for a window of another process (the console's), without waiting for it.
void PostProgramIcon(HWND window);

}  // namespace platform::win32
