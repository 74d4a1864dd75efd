#pragma once

// Ids of the updater's dialogs, controls and pictures.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

constexpr int IDD_DOWNLOAD = 101;
constexpr int IDD_INSTALL = 102;
constexpr int IDI_MAIN = 106;
constexpr int IDD_DOWNLOAD_FILES = 107;
constexpr int IDD_SPLASH = 109;
constexpr int IDB_SPLASH = 110;

constexpr int IDC_PROGRESS_TEXT = 1002;
constexpr int IDC_DOWNLOAD_PROGRESS = 1003;
constexpr int IDC_CANCEL = 1004;
constexpr int IDC_INSTALL_PROGRESS = 1005;
constexpr int IDC_TOTAL_PROGRESS = 1006;
constexpr int IDC_FILE_PROGRESS = 1007;
constexpr int IDC_FILE_NAME = 1008;
constexpr int IDC_FILE_PERCENT = 1009;
constexpr int IDC_SPLASH_PICTURE = -1;
