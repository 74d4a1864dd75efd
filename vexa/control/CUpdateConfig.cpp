#include "vexa/control/CUpdateConfig.h"

#include "platform/files.h"
#include "vexa/control/ConfigReaders.h"
#include "vexa/control/ModuleFolders.h"
#include "vexa/download/UrlPath.h"

#include <utility>

CUpdateConfig::CUpdateConfig() : CUpdateConfig(GetLocalConfigPath(), GetDownloadedConfigPath()) {}

CUpdateConfig::CUpdateConfig(std::wstring localPath, std::wstring downloadedPath)
    : m_localPath(std::move(localPath)), m_downloadedPath(std::move(downloadedPath))
{
}

std::wstring CUpdateConfig::GetInstalledVersion() const
{
    return ReadCurVersion(m_localPath);
}

std::wstring CUpdateConfig::GetInstalledStartExecute() const
{
    return ReadStartExecute(m_localPath);
}

std::wstring CUpdateConfig::GetNewVersion() const
{
    return ReadCurVersion(m_downloadedPath);
}

std::wstring CUpdateConfig::GetMinVersion() const
{
    return ReadMinVersion(m_downloadedPath);
}

std::wstring CUpdateConfig::GetNewProductCode() const
{
    return ReadProductCode(m_downloadedPath);
}

std::wstring CUpdateConfig::GetNewStartExecute() const
{
    return ReadStartExecute(m_downloadedPath);
}

UpdateMethodType CUpdateConfig::GetUpdateMethod() const
{
    return ReadUpdateMethod(m_downloadedPath);
}

std::wstring CUpdateConfig::GetConfigPublishedPath() const
{
    return ReadProductCode(m_localPath) + L"/" + L"vexa.xml";
}

std::wstring CUpdateConfig::GetVersionPublishedPath() const
{
    return GetNewProductCode() + L"/" + GetNewVersion();
}

std::wstring CUpdateConfig::GetNewFileListPublishedPath() const
{
    return GetVersionPublishedPath() + L"/" + L"vexa" + L"/" + L"filelist.xml";
}

std::wstring CUpdateConfig::GetInstallerPublishedPath() const
{
    return GetVersionPublishedPath() + L"/" + GetNewProductCode() + L"Installer.exe";
}

std::wstring CUpdateConfig::GetConfigUrl() const
{
    return ReadSelfUrl(m_localPath) + EncodeUrlPath(GetConfigPublishedPath());
}

std::wstring CUpdateConfig::GetFilesBaseUrl() const
{
    return ReadDownloadUrl(m_downloadedPath) + EncodeUrlPath(GetVersionPublishedPath());
}

std::wstring CUpdateConfig::GetNewFileListUrl() const
{
    return ReadDownloadUrl(m_downloadedPath) + EncodeUrlPath(GetNewFileListPublishedPath());
}

std::wstring CUpdateConfig::GetInstallerUrl() const
{
    return ReadDownloadUrl(m_downloadedPath) + EncodeUrlPath(GetInstallerPublishedPath());
}

std::wstring CUpdateConfig::GetVersionDownloadFolder() const
{
    return GetTempDownloadFolder() + GetNewVersion() + L"/";
}

std::wstring CUpdateConfig::GetNewFileListPath() const
{
    return GetVersionDownloadFolder() + L"vexa" + L"/" + L"filelist.xml";
}

bool CUpdateConfig::CopyNewFileList() const
{
    return platform::CopyFileOver(GetNewFileListPath(), GetLocalFileListPath());
}

CUpdateConfig& GetUpdateConfig()
{
    static CUpdateConfig* config = new CUpdateConfig;
    return *config;
}
