#pragma once
#include "platform/dialog.h"

#include <atomic>

// What a download dialog's thread shares with the thread that downloads. The dialog
// thread records the handles when the dialog opens and writes the two flags; the
// downloading thread reads the flags and moves the bars.
struct DownloadUiState {
    std::atomic<platform::WindowHandle> dialog{0};
    std::atomic<platform::WindowHandle> mainBar{0};
    std::atomic<platform::WindowHandle> mainLabel{0};
    std::atomic<platform::WindowHandle> fileBar{0};
    std::atomic<platform::WindowHandle> fileLabel{0};
    // The last whole percentages stepped onto the bars.
    std::atomic<int> mainPercent{0};
    std::atomic<int> filePercent{0};
    // 1 while the cancel question is open.
    std::atomic<int> asking{0};
    // 1 once the user confirmed a cancel.
    std::atomic<int> cancelled{0};
};

// The same for the install dialog: its bar (1005) and label (1002).
struct InstallUiState {
    std::atomic<platform::WindowHandle> dialog{0};
    std::atomic<platform::WindowHandle> bar{0};
    std::atomic<platform::WindowHandle> label{0};
    std::atomic<int> percent{0};
    std::atomic<int> asking{0};
    std::atomic<int> cancelled{0};
};

// One instance each for the process.
extern DownloadUiState g_downloadUiState;
extern InstallUiState g_installUiState;
extern std::atomic<platform::WindowHandle> g_splashWindow;

// Zeroes every field, as each download does when it begins: no handle of an earlier
// dialog outlives it.
void ResetDownloadUiState();
// Zeroes every field, as the installation does before it starts its dialog.
void ResetInstallUiState();
