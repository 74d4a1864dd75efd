#include "platform/ui.h"

#include "platform/ui_console.h"
#include "platform/ui_script.h"

#include <atomic>
#include <cstdlib>
#include <memory>
#include <string>

namespace platform {

namespace {

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::unique_ptr<IUiBackend> ChooseBackend()
{
    if (Environment("VEXA_UI") == "script")
        return std::make_unique<CScriptUi>(Environment("VEXA_UI_SCRIPT"), Environment("VEXA_UI_LOG"));
    return std::make_unique<CConsoleUi>();
}

// Never destroyed: a dialog thread may still ask a question while the process ends.
std::atomic<IUiBackend*>& Backend()
{
    static std::atomic<IUiBackend*> backend{ChooseBackend().release()};
    return backend;
}

}  // namespace

IUiBackend& CurrentUi()
{
    return *Backend().load();
}

IUiBackend& ReplaceUi(IUiBackend& backend)
{
    return *Backend().exchange(&backend);
}

}  // namespace platform
