#include "vexa/install/InterruptedRun.h"

#include "platform/files.h"
#include "vexa/control/CUpdateConfig.h"
#include "vexa/control/FileUtils.h"
#include "vexa/control/ModuleFolders.h"
#include "vexa/control/UpdateLog.h"
#include "vexa/install/CleanFileName.h"
#include "vexa/install/FileList.h"
#include "vexa/install/Md5.h"
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

bool RecoverInterruptedInstallation()
{
    if (!FileExists(GetBackupFolder()))
        return true;
    WriteLog(L"发现未完成的安装,开始回滚");
    return RollbackFromBackup();
}

// What a killed run leaves beside the files it writes under a fixed name, and its old
// backup half deleted: nothing reads them, and the next writer would only overwrite them.
void RemoveFixedNameLeftovers()
{
    DeleteDoomedBackupFolder();
    for (const std::wstring& path : {GetLocalFileListPath(), GetDownloadInfoPath(), GetNeedUpdatePath()})
        platform::RemoveFileIfPresent(TemporaryPathBeside(path));
}

// Where the installed version's updater files wait for the client, without the trailing '/'.
std::wstring HandOverFolder()
{
    return GetTempDownloadFolder() + GetUpdateConfig().GetInstalledVersion();
}

void FinishInterruptedListReplacement()
{
    const std::wstring installedVersionList = HandOverFolder() + L"/vexa/filelist.xml";
    if (FileExists(installedVersionList))
        platform::CopyFileOver(installedVersionList, GetLocalFileListPath());
}

}  // namespace

bool HealInterruptedRun()
{
    const bool recovered = RecoverInterruptedInstallation();
    platform::RemoveCopyLeftovers(CopyTargets());
    RemoveFixedNameLeftovers();
    if (!recovered)
        return false;
    if (FileExists(GetDownloadInfoPath())) {
        FinishInterruptedListReplacement();
        DeleteDownloadInfoFile();
    }
    return true;
}

bool IsHandOverPending()
{
    return FileExists(GetNeedUpdatePath()) && FileExists(HandOverFolder() + L"/");
}

bool HandOverFilesMatch()
{
    CFileList list;
    if (!LoadFileList(HandOverFolder() + L"/vexa/filelist.xml", list))
        return false;
    int present = 0;
    for (const CFileListInfo& entry : list) {
        const std::wstring path = HandOverFolder() + DownloadedName(entry.GetFileName());
        if (!IsSelfUpdateEntry(entry.GetFileName()) || !FileExists(path))
            continue;
        if (!EqualIgnoringCase(FileMd5Hex(path), entry.GetMd5())) {
            WriteLog(L"升级程序文件 %s 与文件列表不符", path.c_str());
            return false;
        }
        ++present;
    }
    return present != 0;
}

void DropHandOver()
{
    WriteLog(L"放弃替换升级程序文件");
    DeleteNeedUpdateFile();
    // The installed list must not claim the updater's new files: without them the next
    // version's update fetches them again.
    CFileList installed;
    if (!LoadFileList(GetLocalFileListPath(), installed))
        return;
    CFileList kept;
    for (const CFileListInfo& entry : installed)
        if (!IsSelfUpdateEntry(entry.GetFileName()))
            kept.Add(entry);
    WriteFileList(kept, GetLocalFileListPath());
}
