#include "vexa/install/InstallUpdate.h"

#include "platform/clock.h"
#include "platform/dialog.h"
#include "vexa/control/CUpdateConfig.h"
#include "vexa/control/ClientLauncher.h"
#include "vexa/control/FileUtils.h"
#include "vexa/control/ModuleFolders.h"
#include "vexa/control/UpdateLog.h"
#include "vexa/download/DialogThreads.h"
#include "vexa/download/DownloadUiState.h"
#include "vexa/install/CollectInstallInfo.h"
#include "vexa/install/FileList.h"
#include "vexa/install/InstallFiles.h"
#include "vexa/res/resource.h"

namespace {

constexpr unsigned kAfterDialogMs = 200;
constexpr unsigned kBeforeClientMs = 300;

bool InstallBehindDialog(InstallSet& installSet)
{
    ResetInstallUiState();
    StartInstallDialogThread();
    const bool installed = InstallFiles(installSet);
    platform::SendDialogCommand(g_installUiState.dialog, IDOK);
    // After a failure the rollback has deleted the backup, or kept what did not go back.
    if (installed)
        DeleteBackupFolder();
    platform::SleepMilliseconds(kAfterDialogMs);
    return installed;
}

// The new list without the files of this run: those the tree holds in the new
// version whatever else happened to the files of this run.
CFileList UntouchedFiles()
{
    CFileList fresh;
    CFileList touched;
    CFileList untouched;
    ReadFileList(GetUpdateConfig().GetNewFileListPath(), fresh);
    ReadFileList(GetDownloadInfoPath(), touched);
    for (const CFileListInfo& entry : fresh)
        if (!touched.Find(entry.GetFileName()))
            untouched.Add(entry);
    return untouched;
}

// Two files cannot be replaced at once. Until both are new, the installed list leaves
// out the files of this run, so a run killed in between fetches and installs them
// again rather than trusting a list that says they are in place.
bool ReplaceInstalledLists()
{
    if (!WriteFileList(UntouchedFiles(), GetLocalFileListPath())) {
        WriteLog(L"更新filelist.xml文件失败");
        return false;
    }
    if (!CopyNewConfig()) {
        WriteLog(L"更新vexa.xml文件失败");
        return false;
    }
    if (!GetUpdateConfig().CopyNewFileList()) {
        WriteLog(L"更新filelist.xml文件失败");
        return false;
    }
    return true;
}

void StartNewClient()
{
    if (FileExists(GetNeedUpdatePath())) {
        // The client takes the updater's new files from the temporary download folder.
        LaunchNewClient(L"-updatevexa");
        return;
    }
    LaunchNewClient(L"-onlymain");
    DeleteTempDownloadFolder();
}

}  // namespace

bool InstallUpdate(InstallSet& installSet)
{
    if (!CollectInstallInfo(installSet)) {
        WriteLog(L"收集安装信息失败");
        return false;
    }
    if (!installSet.empty() && !InstallBehindDialog(installSet)) {
        WriteLog(L"安装更新文件失败");
        return false;
    }
    if (!ReplaceInstalledLists())
        return false;
    platform::SleepMilliseconds(kBeforeClientMs);
    StartNewClient();
    return true;
}
