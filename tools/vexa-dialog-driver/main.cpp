#include "platform/clock.h"
#include "platform/program_entry.h"
#include "platform/testing/dialog_driver.h"
#include "platform/text.h"
#include "vexa/res/resource.h"

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

using namespace platform::testing;

constexpr unsigned kOpenMilliseconds = 30000;
constexpr int kAnswerYesButton = 6;
// The message box's text control.
constexpr int kBoxText = 0xFFFF;

void Print(const std::string& key, const std::wstring& value)
{
    std::printf("%s=%s\n", key.c_str(), platform::Utf8FromWide(value).c_str());
    std::fflush(stdout);
}

void Print(const std::string& key, int value)
{
    Print(key, std::to_wstring(value));
}

// Polls until the condition holds or the time is up.
template <typename Condition>
bool WaitUntil(Condition condition, unsigned milliseconds)
{
    const std::uint32_t start = platform::TickCount();
    while (!condition()) {
        if (platform::TickCount() - start >= milliseconds)
            return false;
        platform::SleepMilliseconds(20);
    }
    return true;
}

void PrintDialog(ForeignWindow dialog)
{
    int width = 0;
    int height = 0;
    WindowSize(dialog, width, height);
    Print("title", WindowTitle(dialog));
    Print("size", std::to_wstring(width) + L"x" + std::to_wstring(height));
    Print("file_label", ItemText(dialog, IDC_FILE_PERCENT));
    Print("name_label", ItemText(dialog, IDC_FILE_NAME));
    Print("button", ItemText(dialog, IDCANCEL));
    Print("file_bar", ItemBarPosition(dialog, IDC_FILE_PROGRESS));
    Print("total_bar", ItemBarPosition(dialog, IDC_TOTAL_PROGRESS));
}

// The two-bar dialog as a player meets it: read once the second file is under way,
// photographed, cancelled with its button, the question answered Yes.
int CancelFiles(const std::wstring& picture)
{
    const ForeignWindow dialog = WaitForWindow(L"下载文件", kOpenMilliseconds);
    if (!dialog)
        return 1;
    const bool underWay = WaitUntil([&] {
        return ItemBarPosition(dialog, IDC_TOTAL_PROGRESS) >= 33 && std::wcstol(ItemText(dialog, IDC_FILE_PERCENT).c_str(), nullptr, 10) >= 30;
    }, kOpenMilliseconds);
    Print("under_way", underWay ? 1 : 0);
    PrintDialog(dialog);
    Print("picture", SaveWindowPicture(dialog, picture) ? 1 : 0);
    ClickItem(dialog, IDCANCEL);
    const ForeignWindow box = WaitForWindow(L"下载提示", kOpenMilliseconds);
    Print("question", ItemText(box, kBoxText));
    Print("owned_by_dialog", box && WindowOwner(box) == dialog ? 1 : 0);
    const int asked = ItemBarPosition(dialog, IDC_FILE_PROGRESS);
    platform::SleepMilliseconds(600);
    Print("paused", ItemBarPosition(dialog, IDC_FILE_PROGRESS) == asked ? 1 : 0);
    ClickItem(box, kAnswerYesButton);
    Print("ended", WaitUntil([&] { return !WindowAlive(dialog); }, kOpenMilliseconds) ? 1 : 0);
    return 0;
}

// An optional update as a player takes it: the question answered Yes with the mouse,
// then the two-bar dialog watched while the files come and until it closes.
int AcceptUpdate()
{
    const ForeignWindow box = WaitForWindow(L"更新提示", kOpenMilliseconds);
    if (!box)
        return 1;
    Print("question", ItemText(box, kBoxText));
    ClickItem(box, kAnswerYesButton);
    const ForeignWindow dialog = WaitForWindow(L"下载文件", kOpenMilliseconds);
    Print("download_dialog", dialog ? 1 : 0);
    const bool moved = WaitUntil([&] { return ItemBarPosition(dialog, IDC_FILE_PROGRESS) > 0; }, kOpenMilliseconds);
    Print("file_bar_moved", moved ? 1 : 0);
    Print("download_ended", WaitUntil([&] { return !WindowAlive(dialog); }, kOpenMilliseconds) ? 1 : 0);
    return 0;
}

}  // namespace

// vexa-dialog-driver cancel-files <picture.bmp> | accept-update: drives the dialogs
// another process shows and prints what it saw, one key=value a line.
int ProgramMain(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "cancel-files")
        return CancelFiles(platform::WideFromArgument(argv[2]));
    if (argc == 2 && std::string(argv[1]) == "accept-update")
        return AcceptUpdate();
    return 2;
}
