#include "vexa/download/DialogProcedures.h"

#include "platform/message_box.h"
#include "vexa/download/DownloadUiState.h"
#include "vexa/res/resource.h"

#include <atomic>

namespace {

using platform::DialogItem;
using platform::DialogMessage;
using platform::WindowHandle;

constexpr unsigned kQuestionStyle = platform::kBoxYesNo | platform::kBoxSystemModal;

struct CancelQuestion {
    std::atomic<int>& asking;
    std::atomic<int>& cancelled;
    const wchar_t* text;
    const wchar_t* title;
    bool ownedByDialog;
};

void UsePercentScale(WindowHandle bar)
{
    platform::SetBarRange(bar, 0, 100);
    platform::SetBarStep(bar, 1);
}

// The working thread pauses while asking is 1, and stops once cancelled is 1.
void AskToCancel(WindowHandle dialog, const CancelQuestion& question)
{
    question.asking = 1;
    const WindowHandle owner = question.ownedByDialog ? dialog : 0;
    if (platform::ShowMessageBox(question.text, question.title, kQuestionStyle, owner) == platform::kAnswerYes) {
        question.cancelled = 1;
        platform::EndDialog(dialog, 0);
    }
    question.asking = 0;
}

bool HandleProgressCommand(WindowHandle dialog, int commandId, const CancelQuestion& question)
{
    if (commandId == IDOK) {
        platform::EndDialog(dialog, 0);
        return true;
    }
    if (commandId != IDCANCEL && commandId != IDC_CANCEL)
        return false;
    AskToCancel(dialog, question);
    return true;
}

bool HandleDownloadCommand(WindowHandle dialog, int commandId)
{
    DownloadUiState& state = g_downloadUiState;
    return HandleProgressCommand(dialog, commandId, {state.asking, state.cancelled, L"是否终止下载更新", L"下载提示", true});
}

}  // namespace

// A console dialog has no place on a screen, so there is nothing to centre.
bool DownloadDialogProc(WindowHandle dialog, DialogMessage message, int commandId)
{
    DownloadUiState& state = g_downloadUiState;
    if (message != DialogMessage::Init)
        return HandleDownloadCommand(dialog, commandId);
    state.dialog = dialog;
    state.mainLabel = DialogItem(dialog, IDC_PROGRESS_TEXT);
    state.mainBar = DialogItem(dialog, IDC_DOWNLOAD_PROGRESS);
    UsePercentScale(state.mainBar);
    return true;
}

bool DownloadFilesDialogProc(WindowHandle dialog, DialogMessage message, int commandId)
{
    DownloadUiState& state = g_downloadUiState;
    if (message != DialogMessage::Init)
        return HandleDownloadCommand(dialog, commandId);
    state.dialog = dialog;
    state.mainBar = DialogItem(dialog, IDC_TOTAL_PROGRESS);
    state.mainLabel = DialogItem(dialog, IDC_FILE_NAME);
    state.fileBar = DialogItem(dialog, IDC_FILE_PROGRESS);
    state.fileLabel = DialogItem(dialog, IDC_FILE_PERCENT);
    UsePercentScale(state.fileBar);
    UsePercentScale(state.mainBar);
    return true;
}

bool InstallDialogProc(WindowHandle dialog, DialogMessage message, int commandId)
{
    InstallUiState& state = g_installUiState;
    if (message != DialogMessage::Init)
        return HandleProgressCommand(dialog, commandId,
                                     {state.asking, state.cancelled, L"未安装退出会导致软件无法使用，是否确认退出!", L"更新提示", false});
    state.dialog = dialog;
    state.bar = DialogItem(dialog, IDC_INSTALL_PROGRESS);
    state.label = DialogItem(dialog, IDC_PROGRESS_TEXT);
    UsePercentScale(state.bar);
    return true;
}

bool SplashDialogProc(WindowHandle dialog, DialogMessage message, int commandId)
{
    if (message == DialogMessage::Init) {
        g_splashWindow = dialog;
        return true;
    }
    if (commandId != IDOK)
        return false;
    platform::EndDialog(dialog, 0);
    return true;
}
