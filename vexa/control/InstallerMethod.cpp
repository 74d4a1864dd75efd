#include "vexa/control/InstallerMethod.h"

#include "platform/files.h"
#include "vexa/control/CUpdateConfig.h"
#include "vexa/control/ClientStart.h"
#include "vexa/download/DownloadFile.h"
#include "vexa/download/SignedDownload.h"
#include "vexa/download/TransferOptions.h"

#include <string>

namespace {

std::wstring InstallerPath()
{
    const CUpdateConfig& config = GetUpdateConfig();
    return config.GetVersionDownloadFolder() + config.GetNewProductCode() + L"Installer.exe";
}

}  // namespace

bool DownloadInstaller()
{
    const CUpdateConfig& config = GetUpdateConfig();
    const std::wstring url = config.GetInstallerUrl();
    const std::wstring path = InstallerPath();
    return DownloadFile(url, path, true, kInstallerSizeCap) &&
           CheckDownloadSignature(url, config.GetInstallerPublishedPath(), path) && platform::SyncFile(path);
}

void RunInstaller()
{
    const std::wstring path = InstallerPath();
    platform::MakeExecutable(path);
    StartProgram(path, L"", L"");
}
