#include "vexa/install/InstallFiles.h"

#include "platform/clock.h"
#include "platform/dialog.h"
#include "platform/files.h"
#include "vexa/control/CUpdateConfig.h"
#include "vexa/control/FileUtils.h"
#include "vexa/control/ModuleFolders.h"
#include "vexa/control/UpdateLog.h"
#include "vexa/download/DownloadUiState.h"
#include "vexa/download/ProgressFunctions.h"
#include "vexa/install/ProgramFile.h"
#include "vexa/install/RollbackFromBackup.h"

#include <string>

namespace {

constexpr int kCopyAttempts = 3;
constexpr unsigned kAfterAttemptMs = 500;

struct InstallPaths {
    std::wstring source;
    std::wstring target;
    std::wstring backup;
};

std::wstring WithoutTrailingSeparator(const std::wstring& folder)
{
    return folder.empty() ? folder : folder.substr(0, folder.size() - 1);
}

InstallPaths PathsOf(const std::wstring& rel)
{
    return {WithoutTrailingSeparator(GetUpdateConfig().GetVersionDownloadFolder()) + rel,
            WithoutTrailingSeparator(GetRootFolder()) + rel, WithoutTrailingSeparator(GetBackupFolder()) + rel};
}

bool RollBack()
{
    WriteLog(L"开始回滚");
    RollbackFromBackup();
    return false;
}

// A file that is new has nothing to save; it only needs its folders.
bool BackUp(const InstallPaths& paths)
{
    if (!FileExists(paths.target)) {
        EnsurePathDir(paths.target);
        return true;
    }
    // A link is kept as the link: a copy of what it points to would put a file in its place.
    int error = 0;
    if (!platform::CopyEntryOver(paths.target, paths.backup, error)) {
        WriteLog(L"备份文件 %s 失败", LogValue(paths.target).c_str());
        return false;
    }
    WriteLog(L"备份文件 %s 成功", LogValue(paths.target).c_str());
    return true;
}

bool Replace(const InstallPaths& paths)
{
    const std::uint32_t started = platform::TickCount();
    for (int attempt = 1; attempt <= kCopyAttempts; ++attempt) {
        int error = 0;
        const bool copied = platform::CopyFileOver(paths.source, paths.target, error);
        if (!copied)
            WriteLog(L"第%d次更新文件 %s 失败，code: %d", attempt, LogValue(paths.source).c_str(), error);
        platform::SleepMilliseconds(kAfterAttemptMs);
        if (copied) {
            WriteLog(L"更新文件 %s 成功----<%d>", LogValue(paths.source).c_str(),
                     static_cast<int>(platform::TickCount() - started));
            return true;
        }
    }
    WriteLog(L"更新文件 %s 失败", LogValue(paths.source).c_str());
    return false;
}

}  // namespace

bool InstallFiles(InstallSet& installSet)
{
    const int total = static_cast<int>(installSet.size());
    int done = 1;
    while (!installSet.empty()) {
        if (g_installUiState.cancelled) {
            WriteLog(L"更新进程被终止");
            return RollBack();
        }
        const std::wstring rel = installSet.front().GetFileName();
        const InstallPaths paths = PathsOf(rel);
        EnsurePathDir(paths.backup);
        // A new file takes the downloaded copy's permissions, which never let it run.
        if (!FileExists(paths.target) && IsProgramFile(paths.source))
            platform::MakeExecutable(paths.source);
        platform::SetControlText(g_installUiState.label, L"正在更新 " + rel + L" ...");
        // A client of mixed versions must never start: a failed backup undoes this run too.
        if (!BackUp(paths) || !Replace(paths))
            return RollBack();
        StepInstallProgress(done, total);
        ++done;
        installSet.pop_front();
    }
    return true;
}
