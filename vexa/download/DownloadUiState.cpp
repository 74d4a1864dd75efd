#include "vexa/download/DownloadUiState.h"

DownloadUiState g_downloadUiState;
InstallUiState g_installUiState;
std::atomic<platform::WindowHandle> g_splashWindow{0};

void ResetDownloadUiState()
{
    DownloadUiState& state = g_downloadUiState;
    state.dialog = 0;
    state.mainBar = 0;
    state.mainLabel = 0;
    state.fileBar = 0;
    state.fileLabel = 0;
    state.mainPercent = 0;
    state.filePercent = 0;
    state.asking = 0;
    state.cancelled = 0;
}

void ResetInstallUiState()
{
    InstallUiState& state = g_installUiState;
    state.dialog = 0;
    state.bar = 0;
    state.label = 0;
    state.percent = 0;
    state.asking = 0;
    state.cancelled = 0;
}
