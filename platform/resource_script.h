#pragma once
// What a resource script takes from the system: the window, dialog and control styles
// and the classes its templates name. Only the resource compiler of a Windows build
// reads resource scripts, so the Linux side has nothing to give.
#ifdef _WIN32
#include <windows.h>
#include <commctrl.h>
#endif
