#include "vexa/control/EntryPoint.h"

#include "platform/file_lock.h"
#include "platform/locale.h"
#include "platform/message_box.h"
#include "platform/named_mutex.h"
#include "platform/startup.h"
#include "platform/ui.h"
#include "vexa/control/ClientLauncher.h"
#include "vexa/control/CUpdater.h"
#include "vexa/control/CommandLine.h"
#include "vexa/control/ModuleFolders.h"
#include "vexa/control/UpdateCheck.h"
#include "vexa/control/UpdateLog.h"
#include "vexa/res/Images.h"

namespace {

constexpr unsigned kNoticeStyle = platform::kBoxOk | platform::kBoxSystemModal;

void LogUiLine(const std::wstring& line)
{
    WriteLog(L"%s", line.c_str());
}

// The updater could not prepare itself: tell the user, and let the client run
// without an update.
int FailStartUp(platform::CNamedMutex& instance, const wchar_t* logLine)
{
    platform::ShowMessageBox(L"升级程序运行出错", L"提示", kNoticeStyle);
    WriteLog(L"%s", logLine);
    instance.Close();
    LaunchClient();
    return 1;
}

// The process's exit code: a failed file-list tool must stop a publishing script.
int RunJob(const std::vector<std::wstring>& arguments)
{
    bool toolFailed = false;
    if (ScanToolSwitches(arguments, toolFailed))
        return toolFailed ? 1 : 0;
    std::wstring windowName;
    switch (ParseModeArguments(arguments, windowName)) {
    case RUN_UPDATE:
        GetUpdater().RunUpdateMode();
        break;
    case RUN_CHECK:
        CheckUpdateForWindow(windowName);
        break;
    case RUN_NOTHING:
        break;
    }
    return 0;
}

}  // namespace

int RunVexa(const std::vector<std::wstring>& arguments)
{
    // Before the first box: the icon goes to every window a desktop backend shows.
    platform::SetProgramIcon(ProgramIconImage());
    platform::SetUiLog(LogUiLine);
    platform::CNamedMutex instance(L"vexa_onlyone_handle");
    // The instance lock only reaches the user's session; a run of another session or
    // user on the same client tree is stopped by the tree's own lock.
    // Taken only after the instance lock, so two runs of one session never both give way.
    platform::CFileLock tree;
    if (instance.AlreadyExists() ||
        (instance.Error().empty() && !tree.Take(GetTreeLockPath()) && tree.HeldElsewhere())) {
        platform::ShowMessageBox(L"已有vexa.exe进程在运行", L"提示", kNoticeStyle);
        return 0;
    }
    platform::SetChineseLocale();
    // Without the locks a second updater could run beside this one.
    if (!instance.Error().empty())
        return FailStartUp(instance, (L"错误: 单实例锁无法打开: " + instance.Error()).c_str());
    if (!tree.Error().empty())
        return FailStartUp(instance, (L"错误: 目录锁无法打开: " + tree.Error()).c_str());
    if (!platform::GetModuleHandleOk())
        return FailStartUp(instance, L"错误: GetModuleHandle 失败!");
    if (!platform::InitApplicationFramework())
        return FailStartUp(instance, L"错误: MFC 初始化失败!");

    const int exitCode = RunJob(arguments);
    tree.Close();
    instance.Close();
    return exitCode;
}
