#pragma once
#include "platform/dialog_thread.h"

// Each starts one of the updater's dialogs, modally, on a thread of its own. The
// process keeps the threads until its end (a dialog still open then is taken down);
// the returned thread lets a caller wait for its dialog to end.
platform::CDialogThread& StartDownloadDialogThread();
platform::CDialogThread& StartDownloadFilesDialogThread();
platform::CDialogThread& StartInstallDialogThread();
platform::CDialogThread& StartSplashDialogThread();
