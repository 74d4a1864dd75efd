#include "vexa/install/RollbackFromBackup.h"

#include "platform/files.h"
#include "vexa/control/FileUtils.h"
#include "vexa/control/ModuleFolders.h"

void RollbackFromBackup()
{
    const std::wstring root = GetRootFolder();
    if (!root.empty())
        platform::MoveFolderContents(GetBackupFolder(), root.substr(0, root.size() - 1));
    DeleteTree(GetBackupFolder());
}
