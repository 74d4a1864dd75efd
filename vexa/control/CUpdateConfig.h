#pragma once
#include "vexa/control/UpdateTypes.h"

#include <string>

// The installed ("vexa.xml" beside the updater) and the downloaded (in
// "tempDownload/") configuration, and everything derived from them. Every value is
// read from its file at the moment it is asked for; nothing is cached.
class CUpdateConfig {
public:
    // The copies beside the running updater.
    CUpdateConfig();
    CUpdateConfig(std::wstring localPath, std::wstring downloadedPath);
    CUpdateConfig(const CUpdateConfig&) = delete;
    CUpdateConfig& operator=(const CUpdateConfig&) = delete;

    const std::wstring& LocalPath() const { return m_localPath; }
    const std::wstring& DownloadedPath() const { return m_downloadedPath; }

    std::wstring GetInstalledVersion() const;
    std::wstring GetInstalledStartExecute() const;
    std::wstring GetNewVersion() const;
    std::wstring GetMinVersion() const;
    std::wstring GetNewProductCode() const;
    std::wstring GetNewStartExecute() const;
    UpdateMethodType GetUpdateMethod() const;

    // Published paths: where a file lies below SelfUrl or DownloadUrl, as its
    // signature names it. A URL is the base followed by its path, each segment
    // percent-encoded.
    // ProductCode (installed copy) + "/vexa.xml", below SelfUrl.
    std::wstring GetConfigPublishedPath() const;
    // ProductCode + "/" + CurVersion of the downloaded copy, below DownloadUrl.
    std::wstring GetVersionPublishedPath() const;
    // That folder + "/vexa/filelist.xml" and + "/<ProductCode>Installer.exe".
    std::wstring GetNewFileListPublishedPath() const;
    std::wstring GetInstallerPublishedPath() const;

    std::wstring GetConfigUrl() const;
    // The URL of the version's folder, no trailing '/'.
    std::wstring GetFilesBaseUrl() const;
    std::wstring GetNewFileListUrl() const;
    std::wstring GetInstallerUrl() const;

    // "tempDownload/<new version>/" in the module folder.
    std::wstring GetVersionDownloadFolder() const;
    std::wstring GetNewFileListPath() const;
    // Puts the new version's file list in place of the installed one.
    bool CopyNewFileList() const;

private:
    std::wstring m_localPath;
    std::wstring m_downloadedPath;
};

// The process-wide configuration, created on first use and never destroyed.
CUpdateConfig& GetUpdateConfig();
