#include "platform/ui.h"

#include "platform/environment.h"
#include "platform/ui_console.h"
#include "platform/ui_desktop.h"
#include "platform/ui_script.h"

#include <atomic>
#include <memory>
#include <string>

namespace platform {

namespace {

std::atomic<UiLogFunction>& LogFunction()
{
    static std::atomic<UiLogFunction> log{nullptr};
    return log;
}

std::string_view& Icon()
{
    static std::string_view icon;
    return icon;
}

std::unique_ptr<IUiBackend> ChooseBackend()
{
    const std::string choice = EnvironmentVariable("VEXA_UI");
    if (choice == "script")
        return std::make_unique<CScriptUi>(EnvironmentVariable("VEXA_UI_SCRIPT"), EnvironmentVariable("VEXA_UI_LOG"));
    const bool forced = choice == "desktop";
    if (forced || (choice != "console" && DesktopAvailable())) {
        std::wstring failure;
        if (std::unique_ptr<IUiBackend> desktop = LoadDesktopUi(failure))
            return desktop;
        if (forced)
            UiLog(L"桌面界面无法启动, 改用控制台: " + failure);
    }
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

void SetUiLog(UiLogFunction log)
{
    LogFunction().store(log);
}

void UiLog(const std::wstring& line)
{
    if (const UiLogFunction log = LogFunction().load())
        log(line);
}

void SetProgramIcon(std::string_view png)
{
    Icon() = png;
    ShowProgramIconOnConsole();
}

std::string_view ProgramIcon()
{
    return Icon();
}

}  // namespace platform
