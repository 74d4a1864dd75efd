#include "vexa/install/InterruptedRun.h"

#include "vexa/control/CUpdateConfig.h"
#include "vexa/control/FileUtils.h"
#include "vexa/control/ModuleFolders.h"
#include "vexa/control/UpdateLog.h"
#include "vexa/install/RollbackFromBackup.h"

void RecoverInterruptedInstallation()
{
    if (!FileExists(GetBackupFolder()))
        return;
    WriteLog(L"发现未完成的安装,开始回滚");
    RollbackFromBackup();
}

bool IsHandOverPending()
{
    return FileExists(GetNeedUpdatePath()) &&
           FileExists(GetTempDownloadFolder() + GetUpdateConfig().GetInstalledVersion() + L"/");
}
