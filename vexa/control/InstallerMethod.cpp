#include "vexa/control/InstallerMethod.h"

#include "platform/files.h"
#include "platform/process.h"
#include "vexa/control/CUpdateConfig.h"
#include "vexa/download/DownloadFile.h"
#include "vexa/download/SignedDownload.h"

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
    const std::wstring url = GetUpdateConfig().GetInstallerUrl();
    const std::wstring path = InstallerPath();
    return DownloadFile(url, path, true) && CheckDownloadSignature(url, path);
}

void RunInstaller()
{
    const std::wstring path = InstallerPath();
    platform::MakeExecutable(path);
    platform::ShellOpen(path, L"", L"");
}
