#include "platform/clock.h"
#include "platform/locale.h"
#include "platform/program_entry.h"
#include "platform/ui.h"
#include "vexa/download/DialogThreads.h"
#include "vexa/download/DownloadUiState.h"
#include "vexa/download/ProgressFunctions.h"
#include "vexa/res/Images.h"
#include "vexa/res/resource.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Progress {
    int total = 0;
    int step = 1;
    unsigned delayMilliseconds = 0;
};

// Reports done = 0, step, 2 step ... total, as libcurl would, until cancelled.
void Feed(const Progress& progress, int (*report)(void*, double, double, double, double))
{
    for (int done = 0; !g_downloadUiState.cancelled; done = std::min(done + progress.step, progress.total)) {
        report(nullptr, progress.total, done, 0, 0);
        platform::SleepMilliseconds(progress.delayMilliseconds);
        if (done == progress.total)
            break;
    }
}

void RunSingle(const Progress& progress)
{
    platform::CDialogThread& thread = StartDownloadDialogThread();
    Feed(progress, OnSingleProgress);
    if (!g_downloadUiState.cancelled)
        thread.Wait();
}

void RunFiles(const Progress& progress, int files)
{
    platform::CDialogThread& thread = StartDownloadFilesDialogThread();
    for (int file = 1; file <= files && !g_downloadUiState.cancelled; ++file) {
        g_downloadUiState.filePercent = 0;
        Feed(progress, OnFileProgress);
        if (!g_downloadUiState.cancelled)
            StepOverallProgress(file, files);
    }
    if (!g_downloadUiState.cancelled)
        thread.Wait();
}

void RunInstall(const Progress& progress)
{
    StartInstallDialogThread();
    for (int done = 0; done <= progress.total && !g_installUiState.cancelled; done += progress.step) {
        StepInstallProgress(done, progress.total);
        platform::SleepMilliseconds(progress.delayMilliseconds);
    }
}

void RunSplash(unsigned milliseconds)
{
    StartSplashDialogThread();
    platform::SleepMilliseconds(milliseconds);
    platform::SendDialogCommand(g_splashWindow, IDOK);
}

int Number(const char* text)
{
    return std::atoi(text);
}

}  // namespace

// vexa-dialog-probe single <total> <step> <delay ms>          the single download dialog
// vexa-dialog-probe files <count> <total> <step> <delay ms>   the two-bar dialog
// vexa-dialog-probe install <total> <step> <delay ms>         the install dialog
// vexa-dialog-probe splash <ms>                               the splash, that long
// vexa-dialog-probe idle <ms>                                 no dialog, just waiting
// Prints "cancelled" and exits with 3 when the user cancelled, else "done" and 0.
int ProgramMain(int argc, char** argv)
{
    platform::SetChineseLocale();
    platform::SetProgramIcon(ProgramIconImage());
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "single" && argc == 5)
        RunSingle({Number(argv[2]), Number(argv[3]), static_cast<unsigned>(Number(argv[4]))});
    else if (mode == "files" && argc == 6)
        RunFiles({Number(argv[3]), Number(argv[4]), static_cast<unsigned>(Number(argv[5]))}, Number(argv[2]));
    else if (mode == "install" && argc == 5)
        RunInstall({Number(argv[2]), Number(argv[3]), static_cast<unsigned>(Number(argv[4]))});
    else if (mode == "splash" && argc == 3)
        RunSplash(static_cast<unsigned>(Number(argv[2])));
    else if (mode == "idle" && argc == 3)
        platform::SleepMilliseconds(static_cast<unsigned>(Number(argv[2])));
    else
        return 2;
    std::puts(g_downloadUiState.cancelled ? "cancelled" : "done");
    std::fflush(stdout);
    return g_downloadUiState.cancelled ? 3 : 0;
}
