#include "vexa/control/CUpdater.h"

#include "platform/clock.h"
#include "platform/dialog.h"
#include "platform/message_box.h"
#include "vexa/control/CUpdateConfig.h"
#include "vexa/control/ClientLauncher.h"
#include "vexa/control/FileUtils.h"
#include "vexa/control/InstallerMethod.h"
#include "vexa/control/UpdateCheck.h"
#include "vexa/control/UpdateLog.h"
#include "vexa/download/DialogThreads.h"
#include "vexa/download/DownloadUiState.h"
#include "vexa/install/DownloadSet.h"
#include "vexa/install/InstallUpdate.h"
#include "vexa/install/InterruptedRun.h"
#include "vexa/res/resource.h"

namespace {

constexpr unsigned kBoxStyle = platform::kBoxOk | platform::kBoxSystemModal;
constexpr unsigned kQuestionStyle = platform::kBoxYesNo | platform::kBoxSystemModal;
constexpr unsigned kAfterSplashMs = 200;
constexpr unsigned kBeforeInstallMs = 500;
constexpr unsigned kBeforeInstallerMs = 300;

void CloseSplash()
{
    platform::SendDialogCommand(g_splashWindow, IDOK);
    platform::SleepMilliseconds(kAfterSplashMs);
}

bool Fail(const wchar_t* logLine, const wchar_t* text, const wchar_t* title)
{
    WriteLog(L"%s", logLine);
    platform::ShowMessageBox(text, title, kBoxStyle);
    return false;
}

// No update: the temporary download folder goes, unless it still holds the updater's
// own files for a client that was never started to take them.
void StartWithoutUpdate()
{
    if (IsHandOverPending()) {
        if (HandOverFilesMatch()) {
            LaunchNewClient(L"-updatevexa");
            return;
        }
        DropHandOver();
    }
    DeleteTempDownloadFolder();
    LaunchClient();
}

}  // namespace

void CUpdater::RunUpdateMode()
{
    // Updating over a backup that still holds files would overwrite the only copy of them.
    if (!HealInterruptedRun()) {
        LaunchClient();
        return;
    }
    UpdateType type = UPDATE_NONE;
    StartSplashDialogThread();
    const bool checked = CheckForUpdate(type);
    CloseSplash();
    if (!checked) {
        Fail(L"升级程序检测更新失败", L"检测更新失败", L"更新提示");
        LaunchClient();
        return;
    }
    switch (type) {
    case UPDATE_OPTIONAL: {
        WriteLog(L"检测到有可用更新");
        const int answer = platform::ShowMessageBox(L"检测到有可用更新，是否立即下载并安装!", L"更新提示", kQuestionStyle);
        if (answer != platform::kAnswerYes) {
            // The answer tells a "no" (7) from a box nobody could answer (0).
            WriteLog(L"可选更新未被接受(应答 %d)，启动已安装的版本", answer);
            LaunchClient();
            return;
        }
        break;
    }
    case UPDATE_FORCED:
        WriteLog(L"检测到有更新需要强制升级");
        break;
    default:
        WriteLog(L"当前版本是最新版本，不需要更新!");
        StartWithoutUpdate();
        return;
    }
    if (!ApplyUpdate())
        LaunchClient();
}

bool CUpdater::ApplyUpdate()
{
    switch (GetUpdateConfig().GetUpdateMethod()) {
    case METHOD_FILELIST:
        return ApplyByFileList();
    case METHOD_INSTALLER:
        return ApplyByInstaller();
    default:
        return Fail(L"获取升级方式失败", L"获取升级方式失败", L"更新提示");
    }
}

bool CUpdater::ApplyByFileList()
{
    if (!DownloadNewFileList())
        return Fail(L"filelist形式更新时，下载文件失败", L"下载升级文件失败", L"下载提示");
    platform::SleepMilliseconds(kBeforeInstallMs);
    const bool installed = InstallUpdate(m_installSet);
    DeleteDownloadInfoFile();
    if (installed)
        return true;
    DeleteTempDownloadFolder();
    DeleteNeedUpdateFile();
    return Fail(L"filelist形式更新时，安装失败", L"安装更新失败", L"更新提示");
}

bool CUpdater::ApplyByInstaller()
{
    if (!DownloadInstaller())
        return Fail(L"安装包下载失败", L"安装包下载失败", L"下载提示");
    platform::SleepMilliseconds(kBeforeInstallerMs);
    RunInstaller();
    return true;
}

CUpdater& GetUpdater()
{
    static CUpdater* const updater = new CUpdater();
    return *updater;
}
