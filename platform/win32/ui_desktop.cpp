#include "platform/ui_desktop.h"

#include "platform/win32/desktop_ui.h"
#include "platform/win32/program_icon.h"

#include <windows.h>

namespace platform {

// The dialogs are the program's own resources: nothing to load, only a desktop to show
// them on.
std::unique_ptr<IUiBackend> LoadDesktopUi(std::wstring& failure)
{
    if (!DesktopAvailable()) {
        failure = L"no interactive window station";
        return nullptr;
    }
    return std::make_unique<win32::CDesktopUi>();
}

namespace {

// A service or a scheduled task runs in a window station nobody sees; a box there
// would wait for ever.
bool StationVisible()
{
    USEROBJECTFLAGS flags{};
    HWINSTA station = GetProcessWindowStation();
    return station && GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr) &&
           (flags.dwFlags & WSF_VISIBLE) != 0;
}

// Whether a top-level window can be made at all: wine without a display says its
// station is visible but makes no window.
bool WindowsCanBeMade()
{
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (!window)
        return false;
    DestroyWindow(window);
    return true;
}

}  // namespace

bool DesktopAvailable()
{
    static const bool available = StationVisible() && WindowsCanBeMade();
    return available;
}

void ShowProgramIconOnConsole()
{
    win32::PostProgramIcon(GetConsoleWindow());
}

}  // namespace platform
