#include "vexa/install/InterruptedRun.h"

#include "platform/files.h"
#include "vexa/control/CUpdateConfig.h"
#include "vexa/control/FileUtils.h"
#include "vexa/control/ModuleFolders.h"
#include "vexa/control/UpdateLog.h"
#include "vexa/install/CleanFileName.h"
#include "vexa/install/FileList.h"
#include "vexa/install/RollbackFromBackup.h"
#include "vexa/install/SelfUpdateEntry.h"

#include <string>
#include <vector>

namespace {

std::vector<std::wstring> CopyTargets()
{
    std::vector<std::wstring> targets = {GetLocalFileListPath(), GetLocalConfigPath()};
    for (const std::wstring& name : SelfUpdateNames())
        targets.push_back(GetModuleFolder() + name);
    CFileList installing;
    const std::wstring root = GetRootFolder();
    if (root.empty() || !FileExists(GetDownloadInfoPath()) || !LoadFileList(GetDownloadInfoPath(), installing))
        return targets;
    for (const CFileListInfo& entry : installing)
        if (IsCleanFileName(entry.GetFileName()))
            targets.push_back(root.substr(0, root.size() - 1) + entry.GetFileName());
    return targets;
}

void RecoverInterruptedInstallation()
{
    if (!FileExists(GetBackupFolder()))
        return;
    WriteLog(L"发现未完成的安装,开始回滚");
    RollbackFromBackup();
}

void FinishInterruptedListReplacement()
{
    const std::wstring installedVersionList =
        GetTempDownloadFolder() + GetUpdateConfig().GetInstalledVersion() + L"/vexa/filelist.xml";
    if (FileExists(installedVersionList))
        platform::CopyFileOver(installedVersionList, GetLocalFileListPath());
}

}  // namespace

void HealInterruptedRun()
{
    RecoverInterruptedInstallation();
    platform::RemoveCopyLeftovers(CopyTargets());
    if (!FileExists(GetDownloadInfoPath()))
        return;
    FinishInterruptedListReplacement();
    DeleteDownloadInfoFile();
}

bool IsHandOverPending()
{
    return FileExists(GetNeedUpdatePath()) &&
           FileExists(GetTempDownloadFolder() + GetUpdateConfig().GetInstalledVersion() + L"/");
}
