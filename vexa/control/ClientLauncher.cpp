#include "vexa/control/ClientLauncher.h"

#include "vexa/control/CUpdateConfig.h"
#include "vexa/control/ClientStart.h"

void LaunchClient()
{
    OpenInRootFolder(GetUpdateConfig().GetInstalledStartExecute(), L"-onlymain");
}

void LaunchNewClient(const std::wstring& parameters)
{
    OpenInRootFolder(GetUpdateConfig().GetNewStartExecute(), parameters);
}
