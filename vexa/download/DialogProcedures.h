#pragma once
#include "platform/dialog.h"

// The procedures of the updater's four dialogs. The three progress dialogs record
// their handles in the shared state when they open, give their bars the range 0 to
// 100 with step 1, end on IDOK and ask before they cancel on IDCANCEL or the Cancel
// button; the splash records its window and ends on IDOK.
bool DownloadDialogProc(platform::WindowHandle dialog, platform::DialogMessage message, int commandId);
bool DownloadFilesDialogProc(platform::WindowHandle dialog, platform::DialogMessage message, int commandId);
bool InstallDialogProc(platform::WindowHandle dialog, platform::DialogMessage message, int commandId);
bool SplashDialogProc(platform::WindowHandle dialog, platform::DialogMessage message, int commandId);
