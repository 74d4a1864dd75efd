#include "platform/ui_desktop.h"

#include "platform/environment.h"
#include "platform/module_path.h"
#include "platform/text.h"

#include <dlfcn.h>

#include <string>
#include <vector>

namespace platform {

namespace {

// Beside the executable (a build or a client tree), then the installation's library
// folder relative to the program's bin folder.
std::vector<std::string> ModuleCandidates()
{
    const std::string folder = Utf8FromWide(ExecutableFolder());
    return {folder + kDesktopUiModule, folder + "../" VEXA_UI_MODULE_DIR "/" + kDesktopUiModule};
}

// The module stays loaded for the rest of the run: its backend never ends.
CreateDesktopUiFunction OpenModule(std::string& failure)
{
    for (const std::string& path : ModuleCandidates()) {
        void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            failure += (failure.empty() ? "" : "; ") + std::string(dlerror());
            continue;
        }
        if (void* entry = dlsym(module, kDesktopUiEntry))
            return reinterpret_cast<CreateDesktopUiFunction>(entry);
        failure += (failure.empty() ? "" : "; ") + path + ": no " + kDesktopUiEntry;
        dlclose(module);
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<IUiBackend> LoadDesktopUi(std::wstring& failure)
{
    std::string reason;
    IUiBackend* backend = nullptr;
    if (const CreateDesktopUiFunction create = OpenModule(reason))
        backend = create(DesktopUiHost{PressDialogButton, ProgramIcon()}, reason);
    if (!backend)
        failure = WideFromUtf8(reason);
    return std::unique_ptr<IUiBackend>(backend);
}

bool DesktopAvailable()
{
    return !EnvironmentVariable("WAYLAND_DISPLAY").empty() || !EnvironmentVariable("DISPLAY").empty();
}

// A terminal has no window object of its own here.
void ShowProgramIconOnConsole() {}

}  // namespace platform
