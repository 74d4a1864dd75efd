#include "vexa/download/ProgressFunctions.h"

#include "platform/clock.h"
#include "platform/dialog.h"
#include "vexa/download/DownloadUiState.h"
#include "vexa/res/resource.h"

#include <atomic>
#include <climits>
#include <cmath>
#include <string>

namespace {

using platform::WindowHandle;

constexpr unsigned kAskingPollMilliseconds = 1000;

void WaitWhileAsking(const std::atomic<int>& asking)
{
    while (asking == 1)
        platform::SleepMilliseconds(kAskingPollMilliseconds);
}

// Toward zero, held to the integer range so that an absurd total cannot overflow.
int Truncated(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= INT_MAX)
        return INT_MAX;
    if (value <= INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

// Steps the bar by the whole percentages gained since the last step and returns the
// whole percentage now reached. A total of 0 gives no percentage: the bar stays and
// the last percentage becomes 0.
int StepPercent(WindowHandle bar, std::atomic<int>& last, double done, double total)
{
    int step = 0;
    int percent = 0;
    if (total != 0) {
        const double exact = done * 100 / total;
        step = Truncated(exact - last);
        percent = Truncated(exact);
    }
    last = percent;
    platform::SetBarStep(bar, step);
    platform::StepBar(bar);
    return percent;
}

void ShowPercent(WindowHandle label, int percent)
{
    platform::SetControlText(label, std::to_wstring(percent) + L" %");
}

void CloseAtHundred(WindowHandle dialog, int percent)
{
    if (percent == 100)
        platform::SendDialogCommand(dialog, IDOK);
}

}  // namespace

int OnFileProgress(void*, double downloadTotal, double downloadedNow, double, double)
{
    DownloadUiState& state = g_downloadUiState;
    WaitWhileAsking(state.asking);
    ShowPercent(state.fileLabel, StepPercent(state.fileBar, state.filePercent, downloadedNow, downloadTotal));
    return 0;
}

int OnSingleProgress(void*, double downloadTotal, double downloadedNow, double, double)
{
    DownloadUiState& state = g_downloadUiState;
    WaitWhileAsking(state.asking);
    const int percent = StepPercent(state.mainBar, state.mainPercent, downloadedNow, downloadTotal);
    ShowPercent(state.mainLabel, percent);
    CloseAtHundred(state.dialog, percent);
    return 0;
}

void StepOverallProgress(int done, int count)
{
    DownloadUiState& state = g_downloadUiState;
    WaitWhileAsking(state.asking);
    CloseAtHundred(state.dialog, StepPercent(state.mainBar, state.mainPercent, done, count));
}

void StepInstallProgress(int done, int count)
{
    InstallUiState& state = g_installUiState;
    WaitWhileAsking(state.asking);
    CloseAtHundred(state.dialog, StepPercent(state.bar, state.percent, done, count));
}
