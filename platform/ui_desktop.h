#pragma once
#include "platform/dialog.h"
#include "platform/ui.h"

#include <memory>
#include <string>
#include <string_view>

namespace platform {

// The desktop backend lives in a module of its own, so that the program itself needs
// no toolkit: the module is looked for beside the executable, then in the
// installation's library folder, and entered through one C-linkage function.
constexpr const char* kDesktopUiModule = "libvexa-ui-desktop.so";
constexpr const char* kDesktopUiEntry = "VexaCreateDesktopUi";

// What the module gets from the program.
struct DesktopUiHost {
    // The one way a button pressed in a window reaches its dialog.
    void (*pressButton)(WindowHandle dialog, int buttonId) = nullptr;
    std::string_view icon;
};

// The entry point: a started backend on the display the environment names, or null
// with the reason in failure (UTF-8). The backend lives until the process ends.
using CreateDesktopUiFunction = IUiBackend* (*)(const DesktopUiHost& host, std::string& failure);

// Loads the module and starts its backend; null with the reason when it cannot. On
// Windows the backend is the system's own dialogs, built into the program.
std::unique_ptr<IUiBackend> LoadDesktopUi(std::wstring& failure);

// Whether a user may see windows: a display named by WAYLAND_DISPLAY or DISPLAY on
// Linux, an interactive window station on Windows.
bool DesktopAvailable();

// Gives the console window the program's icon where a console window exists (Windows).
void ShowProgramIconOnConsole();

}  // namespace platform
