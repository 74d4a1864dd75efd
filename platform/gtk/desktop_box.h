#pragma once
#include <gtk/gtk.h>

#include <functional>
#include <string>

namespace platform::gtk {

// Shows a message box with the buttons and icon its style asks for (kBox... and the
// classic icon bits; without an icon bit a question shows the question icon, anything
// else the information icon), its first button the default and focused, modal over its
// owner when it has one. Escape and closing give the box's No or Cancel (OK when that
// is its only button). answered gets the answer (kAnswer...) on the toolkit's thread
// once the box is gone.
void ShowDesktopBox(const std::wstring& text, const std::wstring& title, unsigned style, GtkWindow* owner,
                    std::function<void(int answer)> answered);

}  // namespace platform::gtk
