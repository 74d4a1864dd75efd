#pragma once
#include <string>

// The updater's own folder and the client's root folder above it, each with a
// trailing separator. The root folder is empty when the module folder has no parent.
std::wstring GetModuleFolder();
std::wstring GetRootFolder();

// Every file and folder the updater works with, all inside the module folder.
std::wstring GetLocalConfigPath();
std::wstring GetDownloadedConfigPath();
std::wstring GetLocalFileListPath();
std::wstring GetDownloadInfoPath();
std::wstring GetNeedUpdatePath();
std::wstring GetTempDownloadFolder();
std::wstring GetBackupFolder();
std::wstring GetLogFolder();
// Held by every run that touches the tree; hidden, so no file list names it.
std::wstring GetTreeLockPath();
// The publisher's public key: when present, every published file must be signed.
std::wstring GetUpdateKeyPath();
// The certificate authority for HTTPS: when present, the only one trusted.
std::wstring GetCertificateAuthorityPath();
