#include "vexa/control/ModuleFolders.h"

#include "platform/module_path.h"

std::wstring GetModuleFolder()
{
    const std::wstring exe = platform::ExecutablePath();
    const auto cut = exe.rfind(L'/');
    return cut == std::wstring::npos ? std::wstring() : exe.substr(0, cut + 1);
}

std::wstring GetRootFolder()
{
    const std::wstring exe = platform::ExecutablePath();
    const auto last = exe.rfind(L'/');
    if (last == std::wstring::npos || last == 0)
        return std::wstring();
    const auto parent = exe.rfind(L'/', last - 1);
    return parent == std::wstring::npos ? std::wstring() : exe.substr(0, parent + 1);
}

std::wstring GetLocalConfigPath()
{
    return GetModuleFolder() + L"vexa.xml";
}

std::wstring GetDownloadedConfigPath()
{
    return GetTempDownloadFolder() + L"vexa.xml";
}

std::wstring GetLocalFileListPath()
{
    return GetModuleFolder() + L"filelist.xml";
}

std::wstring GetDownloadInfoPath()
{
    return GetModuleFolder() + L"temp_downloadInfo.xml";
}

std::wstring GetNeedUpdatePath()
{
    return GetModuleFolder() + L"needupdate.txt";
}

std::wstring GetTempDownloadFolder()
{
    return GetModuleFolder() + L"tempDownload/";
}

std::wstring GetBackupFolder()
{
    return GetModuleFolder() + L"backup" + L"/";
}

std::wstring GetLogFolder()
{
    return GetModuleFolder() + L"log/";
}

std::wstring GetTreeLockPath()
{
    return GetModuleFolder() + L".vexa.lock";
}

std::wstring GetUpdateKeyPath()
{
    return GetModuleFolder() + L"update.pub";
}

std::wstring GetCertificateAuthorityPath()
{
    return GetModuleFolder() + L"update-ca.pem";
}
