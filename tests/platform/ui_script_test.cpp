#include "platform/message_box.h"
#include "platform/ui_script.h"
#include "tests/support/ClientTree.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace {

using namespace platform;

class ScriptUiTest : public ::testing::Test {
protected:
    // The backend gets the paths as UTF-8, as it gets them from the environment.
    void WriteScript(const std::string& text) { testing_support::WriteFileBytes(dir.Path() / "answers.txt", text); }
    std::string ScriptPath() const { return (dir.Path() / "answers.txt").string(); }
    std::string TranscriptPath() const { return (dir.Path() / "ui.jsonl").string(); }
    std::string Transcript() const { return testing_support::ReadFileBytes(dir.Path() / "ui.jsonl"); }

    testing_support::TempDir dir;
};

TEST_F(ScriptUiTest, AnswersComeInOrderThenDefaultsTakeOver)
{
    WriteScript("yes\n\n  CANCEL \nno\n");
    CScriptUi ui(ScriptPath(), TranscriptPath());
    EXPECT_EQ(ui.ShowMessageBox(L"q1", L"t", kBoxYesNo | kBoxSystemModal, 0), kAnswerYes);
    EXPECT_EQ(ui.ShowMessageBox(L"q2", L"t", kBoxOkCancel, 0), kAnswerCancel);
    EXPECT_EQ(ui.ShowMessageBox(L"q3", L"t", kBoxYesNo, 0), kAnswerNo);
    EXPECT_EQ(ui.ShowMessageBox(L"q4", L"t", kBoxYesNo, 0), kAnswerNo);
    EXPECT_EQ(ui.ShowMessageBox(L"q5", L"t", kBoxOk | kBoxSystemModal, 0), kAnswerOk);
}

TEST_F(ScriptUiTest, AnswerTheButtonsDoNotOfferIsUsedUpAndGivesTheDefault)
{
    WriteScript("yes\nok\n");
    CScriptUi ui(ScriptPath(), TranscriptPath());
    EXPECT_EQ(ui.ShowMessageBox(L"only ok", L"t", kBoxOk, 0), kAnswerOk);
    EXPECT_EQ(ui.ShowMessageBox(L"yes or no", L"t", kBoxYesNo, 0), kAnswerNo);
}

TEST_F(ScriptUiTest, WithoutScriptOrTranscriptEveryBoxTakesItsDefaultSilently)
{
    CScriptUi ui("", "");
    EXPECT_EQ(ui.ShowMessageBox(L"x", L"t", kBoxYesNo, 0), kAnswerNo);
    EXPECT_EQ(ui.ShowMessageBox(L"x", L"t", kBoxOkCancel, 0), kAnswerOk);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "ui.jsonl"));
}

TEST_F(ScriptUiTest, TranscriptHoldsOneUtf8JsonLinePerBox)
{
    WriteScript("yes\n");
    CScriptUi ui(ScriptPath(), TranscriptPath());
    ui.ShowMessageBox(L"检测到有可用更新，是否立即下载并安装!", L"更新提示", kBoxYesNo | kBoxSystemModal, 0);
    ui.ShowMessageBox(L"a \"quoted\"\\path\nline\x01", L"提示", kBoxSystemModal, 0);
    EXPECT_EQ(Transcript(),
              "{\"event\":\"messagebox\",\"title\":\"更新提示\",\"text\":\"检测到有可用更新，是否立即下载并安装!\","
              "\"style\":4100,\"answer\":\"yes\",\"owner\":0}\n"
              "{\"event\":\"messagebox\",\"title\":\"提示\",\"text\":\"a \\\"quoted\\\"\\\\path\\nline\\u0001\","
              "\"style\":4096,\"answer\":\"ok\",\"owner\":0}\n");
}

TEST(MessageBoxAnswers, NamesRoundTripAndUnknownWordsGiveNoAnswer)
{
    for (int answer : {kAnswerOk, kAnswerCancel, kAnswerYes, kAnswerNo})
        EXPECT_EQ(AnswerFromName(AnswerName(answer)), answer);
    EXPECT_EQ(AnswerFromName("Yes"), kAnswerYes);
    EXPECT_EQ(AnswerFromName("y"), 0);
    EXPECT_EQ(AnswerName(3), "");
}

}  // namespace
