#include "vexa/download/DialogThreads.h"

#include "vexa/download/DialogProcedures.h"
#include "vexa/res/DialogTemplates.h"
#include "vexa/res/resource.h"

#include <list>
#include <mutex>

namespace {

platform::CDialogThread& StartDialogThread(int dialogId, platform::DialogProcedure procedure)
{
    static std::mutex lock;
    static std::list<platform::CDialogThread> threads;
    std::lock_guard hold(lock);
    platform::CDialogThread& thread = threads.emplace_back();
    thread.Start(LoadDialogTemplate(dialogId), std::move(procedure));
    return thread;
}

}  // namespace

platform::CDialogThread& StartDownloadDialogThread()
{
    return StartDialogThread(IDD_DOWNLOAD, DownloadDialogProc);
}

platform::CDialogThread& StartDownloadFilesDialogThread()
{
    return StartDialogThread(IDD_DOWNLOAD_FILES, DownloadFilesDialogProc);
}

platform::CDialogThread& StartInstallDialogThread()
{
    return StartDialogThread(IDD_INSTALL, InstallDialogProc);
}

platform::CDialogThread& StartSplashDialogThread()
{
    return StartDialogThread(IDD_SPLASH, SplashDialogProc);
}
