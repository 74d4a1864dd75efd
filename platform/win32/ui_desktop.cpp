#include "platform/ui_desktop.h"

namespace platform {

// The desktop backend is a toolkit module of the Linux side; on Windows the updater's
// boxes and dialogs use the console or the script backend.
std::unique_ptr<IUiBackend> LoadDesktopUi(std::wstring& failure)
{
    failure = L"no desktop module on this system";
    return nullptr;
}

}  // namespace platform
