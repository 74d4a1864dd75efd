#include "platform/dialog_view.h"
#include "platform/message_box.h"
#include "platform/ui_console.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using namespace platform;

DialogView TwoBarView()
{
    DialogView view;
    view.handle = 0x100000000;
    view.id = 107;
    view.title = L"下载文件";
    view.controls = {{2, ControlKind::Button, {245, 81, 50, 14}, L"取消"},
                     {1006, ControlKind::ProgressBar, {7, 57, 287, 14}, L""},
                     {1007, ControlKind::ProgressBar, {7, 20, 287, 14}, L""},
                     {1009, ControlKind::Text, {8, 8, 145, 8}, L"正在下载..."}};
    return view;
}

void MoveBar(CConsoleUi& ui, DialogView& view, int controlId, int position)
{
    for (ControlView& control : view.controls) {
        if (control.id == controlId)
            control.position = position;
    }
    ui.BarMoved(view, controlId);
}

TEST(ConsoleUi, WithoutATerminalABarPrintsOnlyWhenItCrossesAWholeTenth)
{
    std::ostringstream out;
    std::istringstream in;
    CConsoleUi ui(out, in, false, false);
    DialogView view = TwoBarView();
    ui.DialogOpened(view);
    for (int position : {5, 9, 10, 19, 35, 100, 100})
        MoveBar(ui, view, 1007, position);
    MoveBar(ui, view, 1006, 33);
    MoveBar(ui, view, 1007, 4);  // wrapped round to the start
    ui.TextChanged(view, 1009);
    ui.DialogEnded(view, 0);
    EXPECT_EQ(out.str(),
              "下载文件 #1 10%\n下载文件 #1 35%\n下载文件 #1 100%\n下载文件 #2 33%\n下载文件 #1 4%\n");
}

TEST(ConsoleUi, OnATerminalTheDialogIsRedrawnInPlaceUntilSomethingIsPrintedBelowIt)
{
    std::ostringstream out;
    std::istringstream in;
    CConsoleUi ui(out, in, false, true);
    DialogView view = TwoBarView();
    ui.DialogOpened(view);
    const std::string block =
        "\x1b[?7l"
        "\x1b[2K== 下载文件 ==\n"
        "\x1b[2K正在下载...\n"
        "\x1b[2K[------------------------------] 0%\n"
        "\x1b[2K[------------------------------] 0%\n"
        "\x1b[2K[取消] Ctrl+C\n"
        "\x1b[?7h";
    EXPECT_EQ(out.str(), block);
    out.str("");
    MoveBar(ui, view, 1007, 50);
    EXPECT_EQ(out.str().substr(0, 4), "\x1b[5F");
    EXPECT_NE(out.str().find("[###############---------------] 50%\n"), std::string::npos);
    out.str("");
    ui.ShowMessageBox(L"是否终止下载更新", L"下载提示", kBoxYesNo, 107);
    MoveBar(ui, view, 1007, 60);
    EXPECT_EQ(out.str().find("\x1b[5F"), std::string::npos) << "drawn anew below the box";
    EXPECT_EQ(out.str().substr(0, out.str().find('\n') + 1), "[下载提示] 是否终止下载更新\n");
}

TEST(ConsoleUi, QuestionTakesYOrNAndNoAnswerIsNo)
{
    const auto ask = [](const std::string& typed) {
        std::ostringstream out;
        std::istringstream in(typed);
        CConsoleUi ui(out, in, true, true);
        return ui.ShowMessageBox(L"是否终止下载更新", L"下载提示", kBoxYesNo | kBoxSystemModal, 107);
    };
    EXPECT_EQ(ask("y\n"), kAnswerYes);
    EXPECT_EQ(ask("maybe\nYES\n"), kAnswerYes);
    EXPECT_EQ(ask("n\n"), kAnswerNo);
    EXPECT_EQ(ask("\n"), kAnswerNo);
    EXPECT_EQ(ask(""), kAnswerNo);
    std::ostringstream out;
    std::istringstream in("\n");
    CConsoleUi ui(out, in, true, true);
    EXPECT_EQ(ui.ShowMessageBox(L"发现已经存在filelist.xml文件", L"提示", kBoxOkCancel, 0), kAnswerOk);
    EXPECT_EQ(out.str(), "[提示] 发现已经存在filelist.xml文件\n[ok/cancel] ");
}

}  // namespace
