#pragma once
#include <cstdint>
#include <string>

namespace platform::testing {

// Reads and drives the top-level dialogs of another process as a user would (Windows
// only: the Linux desktop is driven through its accessibility bus instead). A window is
// named by its handle's number; 0 names none.
using ForeignWindow = std::uint64_t;

// The visible top-level window with exactly this title, waited for up to the time given.
ForeignWindow WaitForWindow(const std::wstring& title, unsigned timeoutMilliseconds);
bool WindowAlive(ForeignWindow window);
ForeignWindow WindowOwner(ForeignWindow window);
std::wstring WindowTitle(ForeignWindow window);
// The width and height of the window on the screen, in pixels.
void WindowSize(ForeignWindow window, int& width, int& height);

std::wstring ItemText(ForeignWindow dialog, int controlId);
// A progress bar's position as the control itself reports it.
int ItemBarPosition(ForeignWindow dialog, int controlId);
// Clicks a button as the mouse would (the button sends its command to the dialog).
void ClickItem(ForeignWindow dialog, int controlId);

// The window as the screen shows it, saved as a 24-bit BMP file; false when it cannot be.
bool SaveWindowPicture(ForeignWindow window, const std::wstring& path);

}  // namespace platform::testing
