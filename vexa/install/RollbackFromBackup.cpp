#include "vexa/install/RollbackFromBackup.h"

#include "platform/files.h"
#include "vexa/control/FileUtils.h"
#include "vexa/control/ModuleFolders.h"
#include "vexa/control/UpdateLog.h"

#include <string>
#include <vector>

bool RollbackFromBackup()
{
    const std::wstring root = GetRootFolder();
    if (root.empty())
        return false;
    const std::vector<std::wstring> stayed = platform::MoveFilesInto(GetBackupFolder(), root.substr(0, root.size() - 1));
    for (const std::wstring& path : stayed)
        WriteLog(L"无法恢复备份文件 %s", path.c_str());
    // The backup is the only copy of what could not go back: the next run tries again.
    if (!stayed.empty())
        return false;
    DeleteBackupFolder();
    return true;
}
