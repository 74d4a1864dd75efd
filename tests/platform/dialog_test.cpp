#include "platform/dialog.h"
#include "platform/dialog_thread.h"
#include "platform/message_box.h"
#include "tests/support/ScriptedUi.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

namespace {

using namespace platform;
using testing_support::ScriptedUi;

constexpr int kDialogId = 7;
constexpr int kBar = 11;
constexpr int kLabel = 12;
constexpr int kButton = 13;

DialogTemplate TestTemplate()
{
    return {kDialogId, L"测试", 100, 50,
            {{kBar, ControlKind::ProgressBar, {0, 20, 100, 10}, L""},
             {kLabel, ControlKind::Text, {0, 5, 100, 10}, L"start"},
             {kButton, ControlKind::Button, {50, 35, 40, 10}, L"取消"}}};
}

// A test dialog on its own thread. Commands are counted; kButton asks a yes/no question
// owned by the dialog and ends the dialog on yes.
class TestDialog {
public:
    explicit TestDialog(std::function<void(WindowHandle)> onInit = nullptr) : onInit_(std::move(onInit))
    {
        std::future<WindowHandle> opened = opened_.get_future();
        thread_.Start(TestTemplate(), [this](WindowHandle dialog, DialogMessage message, int commandId) {
            return Procedure(dialog, message, commandId);
        });
        handle = opened.get();
    }

    WindowHandle Item(int id) const { return DialogItem(handle, id); }

    WindowHandle handle = 0;
    std::atomic<int> commands{0};
    std::atomic<int> lastCommand{0};
    std::atomic<int> handlingMilliseconds{0};
    CDialogThread thread_;

private:
    bool Procedure(WindowHandle dialog, DialogMessage message, int commandId)
    {
        if (message == DialogMessage::Init) {
            if (onInit_)
                onInit_(dialog);
            opened_.set_value(dialog);
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(handlingMilliseconds.load()));
        lastCommand = commandId;
        ++commands;
        if (commandId == kButton && ShowMessageBox(L"停止?", L"问", kBoxYesNo | kBoxSystemModal, dialog) == kAnswerYes)
            EndDialog(dialog, 5);
        return true;
    }

    std::function<void(WindowHandle)> onInit_;
    std::promise<WindowHandle> opened_;
};

TEST(Dialog, BarKeepsRangeStepAndStartsAgainFromTheBottomPastTheTop)
{
    ScriptedUi ui;
    TestDialog dialog;
    const WindowHandle bar = dialog.Item(kBar);
    EXPECT_EQ(BarPosition(bar), 0);
    StepBar(bar);  // a new bar steps by 10 within 0..100
    EXPECT_EQ(BarPosition(bar), 10);
    SetBarRange(bar, 0, 100);
    SetBarStep(bar, 45);
    StepBar(bar);
    StepBar(bar);
    EXPECT_EQ(BarPosition(bar), 100);
    StepBar(bar);
    EXPECT_EQ(BarPosition(bar), 0);
    SetBarStep(bar, 0);
    StepBar(bar);
    SetBarStep(bar, -5);
    StepBar(bar);
    EXPECT_EQ(BarPosition(bar), 0);
    SetBarStep(bar, 70);
    StepBar(bar);
    SetBarRange(bar, 0, 50);  // a narrower range pulls the position in
    EXPECT_EQ(BarPosition(bar), 50);
    EndDialog(dialog.handle, 0);
    dialog.thread_.Wait();
    EXPECT_EQ(ui.Transcript(),
              "{\"event\":\"dialog\",\"dialog\":7,\"title\":\"测试\",\"action\":\"open\"}\n"
              "{\"event\":\"bar\",\"dialog\":7,\"control\":11,\"pos\":10}\n"
              "{\"event\":\"bar\",\"dialog\":7,\"control\":11,\"pos\":55}\n"
              "{\"event\":\"bar\",\"dialog\":7,\"control\":11,\"pos\":100}\n"
              "{\"event\":\"bar\",\"dialog\":7,\"control\":11,\"pos\":0}\n"
              "{\"event\":\"bar\",\"dialog\":7,\"control\":11,\"pos\":70}\n"
              "{\"event\":\"bar\",\"dialog\":7,\"control\":11,\"pos\":50}\n"
              "{\"event\":\"dialog\",\"dialog\":7,\"action\":\"end\",\"result\":0}\n");
}

TEST(Dialog, TextsAreRecordedOnlyWhenTheyChangeAndOnlyTextsAndBarsTakeTheirOperations)
{
    ScriptedUi ui;
    TestDialog dialog;
    const WindowHandle label = dialog.Item(kLabel);
    EXPECT_EQ(ControlText(label), L"start");
    SetControlText(label, L"42 %");
    SetControlText(label, L"42 %");
    SetControlText(dialog.Item(kButton), L"停");
    StepBar(label);
    EXPECT_EQ(ControlText(label), L"42 %");
    EXPECT_EQ(ControlText(dialog.Item(kButton)), L"停");
    EXPECT_EQ(BarPosition(label), 0);
    EXPECT_EQ(DialogItem(dialog.handle, 999), 0u);
    EXPECT_EQ(DialogTemplateId(label), kDialogId);
    EndDialog(dialog.handle, 3);
    dialog.thread_.Wait();
    EXPECT_EQ(ui.Transcript(),
              "{\"event\":\"dialog\",\"dialog\":7,\"title\":\"测试\",\"action\":\"open\"}\n"
              "{\"event\":\"text\",\"dialog\":7,\"control\":12,\"text\":\"42 %\"}\n"
              "{\"event\":\"text\",\"dialog\":7,\"control\":13,\"text\":\"停\"}\n"
              "{\"event\":\"dialog\",\"dialog\":7,\"action\":\"end\",\"result\":3}\n");
}

TEST(Dialog, AnEndedDialogAndTheNullHandleTakeNothing)
{
    ScriptedUi ui;
    TestDialog dialog;
    const WindowHandle bar = dialog.Item(kBar);
    const WindowHandle label = dialog.Item(kLabel);
    EXPECT_TRUE(DialogExists(dialog.handle));
    EndDialog(dialog.handle, 1);
    EndDialog(dialog.handle, 2);
    dialog.thread_.Wait();
    EXPECT_FALSE(DialogExists(dialog.handle));
    StepBar(bar);
    SetControlText(label, L"late");
    SendDialogCommand(dialog.handle, kButton);
    PostDialogCommand(dialog.handle, kButton);
    EXPECT_EQ(BarPosition(bar), 0);
    EXPECT_EQ(ControlText(label), L"");
    EXPECT_EQ(DialogItem(dialog.handle, kBar), 0u);
    EXPECT_EQ(DialogTemplateId(bar), 0);
    EXPECT_EQ(dialog.commands, 0);

    StepBar(0);
    SetControlText(0, L"x");
    SendDialogCommand(0, 1);
    EndDialog(0, 0);
    EXPECT_FALSE(DialogExists(0));
    EXPECT_EQ(ui.Transcript().find("late"), std::string::npos);
    EXPECT_EQ(ui.Transcript().find("\"result\":2"), std::string::npos);
}

TEST(Dialog, SendWaitsForTheProcedureAndPostDoesNot)
{
    ScriptedUi ui;
    TestDialog dialog;
    dialog.handlingMilliseconds = 200;
    SendDialogCommand(dialog.handle, 40);
    EXPECT_EQ(dialog.commands, 1);
    EXPECT_EQ(dialog.lastCommand, 40);
    PostDialogCommand(dialog.handle, 41);
    EXPECT_EQ(dialog.commands, 1);
    SendDialogCommand(dialog.handle, 42);  // handled after the posted one, in order
    EXPECT_EQ(dialog.commands, 3);
    EXPECT_EQ(dialog.lastCommand, 42);
}

TEST(Dialog, ACommandSentOnTheDialogsOwnThreadIsHandledAtOnce)
{
    ScriptedUi ui;
    std::atomic<int> handledDuringInit{-1};
    TestDialog dialog([&](WindowHandle handle) {
        SendDialogCommand(handle, 40);
        handledDuringInit = dialog.commands.load();
    });
    EXPECT_EQ(handledDuringInit, 1);
}

TEST(Dialog, QuestionOwnedByADialogNamesItAndAPressAtABarPositionIsHandledBeforeTheBarMovesOn)
{
    ScriptedUi ui("press 13 in 7 when 11 >= 30\nyes after 100\n");
    TestDialog dialog;
    const WindowHandle bar = dialog.Item(kBar);
    SetBarStep(bar, 20);
    StepBar(bar);
    EXPECT_TRUE(DialogExists(dialog.handle));
    StepBar(bar);  // 40: pressed; the question is answered before StepBar returns
    EXPECT_FALSE(DialogExists(dialog.handle));
    dialog.thread_.Wait();
    EXPECT_EQ(ui.Transcript(),
              "{\"event\":\"dialog\",\"dialog\":7,\"title\":\"测试\",\"action\":\"open\"}\n"
              "{\"event\":\"bar\",\"dialog\":7,\"control\":11,\"pos\":20}\n"
              "{\"event\":\"bar\",\"dialog\":7,\"control\":11,\"pos\":40}\n"
              "{\"event\":\"press\",\"dialog\":7,\"control\":13}\n"
              "{\"event\":\"messagebox\",\"title\":\"问\",\"text\":\"停止?\",\"style\":4100,\"answer\":\"yes\",\"owner\":7}\n"
              "{\"event\":\"dialog\",\"dialog\":7,\"action\":\"end\",\"result\":5}\n");
}

TEST(Dialog, APressWaitsForItsDialogAndIsUsedOnce)
{
    ScriptedUi ui("press 13 in 7\nno\nyes\n");
    {
        TestDialog first;
        while (first.commands == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_TRUE(DialogExists(first.handle));  // answered no
    }
    TestDialog second;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(second.commands, 0);
    EXPECT_EQ(ShowMessageBox(L"q", L"t", kBoxYesNo), kAnswerYes);
}

TEST(Dialog, ATakenDownDialogEndsItsThreadWithoutAnEndEvent)
{
    ScriptedUi ui;
    {
        TestDialog dialog;
    }
    EXPECT_EQ(ui.Transcript(), "{\"event\":\"dialog\",\"dialog\":7,\"title\":\"测试\",\"action\":\"open\"}\n");
}

}  // namespace
