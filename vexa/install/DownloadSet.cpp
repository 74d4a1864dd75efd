#include "vexa/install/DownloadSet.h"

#include "platform/files.h"
#include "vexa/control/CUpdateConfig.h"
#include "vexa/control/ModuleFolders.h"
#include "vexa/control/UpdateLog.h"
#include "vexa/delta/DeltaPlan.h"
#include "vexa/download/DownloadFile.h"
#include "vexa/download/DownloadFiles.h"
#include "vexa/download/SignedDownload.h"
#include "vexa/download/TransferOptions.h"
#include "vexa/install/CleanFileName.h"
#include "vexa/install/FileList.h"
#include "vexa/install/SelfUpdateEntry.h"

namespace {

bool NeedsFetching(const CFileList& installed, const CFileListInfo& entry)
{
    const CFileListInfo* old = installed.Find(entry.GetFileName());
    return !old || !EqualIgnoringCase(old->GetMd5(), entry.GetMd5());
}

// A stale list that stays would have the new one appended to it.
bool RemoveStaleFile(const std::wstring& path)
{
    return !platform::FileExists(path) || platform::RemoveFile(path);
}

std::wstring WithoutTrailingSeparator(std::wstring folder)
{
    if (!folder.empty() && folder.back() == L'/')
        folder.pop_back();
    return folder;
}

// What is installed and handed over comes from these files: after a power loss they
// must be whole, not merely named.
bool SyncDownloads(const CFileList& set, const std::wstring& localBase)
{
    bool synced = platform::SyncFile(GetUpdateConfig().GetNewFileListPath()) &&
                  platform::SyncFile(GetDownloadedConfigPath());
    for (const CFileListInfo& entry : set)
        synced = synced && platform::SyncFile(localBase + DownloadedName(entry.GetFileName()));
    if (!synced)
        WriteLog(L"无法保存下载文件");
    return synced;
}

}  // namespace

bool DownloadNewFileList()
{
    const CUpdateConfig& config = GetUpdateConfig();
    const std::wstring path = config.GetNewFileListPath();
    const std::wstring url = config.GetNewFileListUrl();
    if (!RemoveStaleFile(path) || !DownloadFile(url, path, false, kFileListSizeCap, TransferKind::SmallFile) ||
        !CheckDownloadSignature(url, config.GetNewFileListPublishedPath(), path)) {
        WriteLog(L"下载filelist.xml文件失败");
        return false;
    }
    return DownloadChangedFiles();
}

bool DownloadChangedFiles()
{
    CFileList set;
    if (!BuildDownloadSet(set)) {
        WriteLog(L"无法获取下载文件信息");
        return false;
    }
    if (set.IsEmpty()) {
        WriteLog(L"版本升级，但没有文件需要下载，导致安装时出错");
        return false;
    }
    if (!WriteFileList(set, GetDownloadInfoPath())) {
        WriteLog(L"保存下载信息文件失败");
        return false;
    }
    const CUpdateConfig& config = GetUpdateConfig();
    const CDeltaPlan deltas = FetchDeltaPlan(WithoutTrailingSeparator(GetRootFolder()));
    const std::wstring localBase = WithoutTrailingSeparator(config.GetVersionDownloadFolder());
    return DownloadFiles(set, config.GetFilesBaseUrl(), localBase, deltas.IsEmpty() ? nullptr : &deltas) &&
           SyncDownloads(set, localBase);
}

bool BuildDownloadSet(CFileList& set)
{
    const std::wstring installedPath = GetLocalFileListPath();
    const std::wstring newPath = GetUpdateConfig().GetNewFileListPath();
    if (!platform::FileExists(installedPath)) {
        WriteLog(L"无法找到当前版本的filelist.xml文件: %s", installedPath.c_str());
        return false;
    }
    if (!platform::FileExists(newPath)) {
        WriteLog(L"无法找到新版本的filelist.xml文件: %s", newPath.c_str());
        return false;
    }

    CFileList installed;
    ReadFileList(installedPath, installed);
    set.Clear();
    // The new list is compared entry by entry as it is read; it needs no list of its own.
    bool clean = true;
    const bool loaded = ForEachFileListEntry(newPath, [&](CFileListInfo&& entry) {
        clean = IsCleanFileName(entry.GetFileName());
        if (!clean)
            WriteLog(L"文件名不合法: %s", LogValue(entry.GetFileName()).c_str());
        else if (NeedsFetching(installed, entry))
            set.Add(std::move(entry));
        return clean;
    });
    if (!loaded) {
        WriteLog(L"无法加载文件%s", newPath.c_str());
        return false;
    }
    if (!clean)
        set.Clear();
    return clean;
}
