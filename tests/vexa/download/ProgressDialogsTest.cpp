#include "platform/dialog.h"
#include "vexa/download/DialogThreads.h"
#include "vexa/download/DownloadUiState.h"
#include "vexa/download/ProgressFunctions.h"
#include "vexa/res/resource.h"
#include "tests/support/ScriptedUi.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

namespace {

using namespace std::chrono_literals;
using platform::WindowHandle;
using testing_support::ScriptedUi;

void SingleProgress(double total, double now)
{
    OnSingleProgress(nullptr, total, now, 0, 0);
}

void FileProgress(double total, double now)
{
    OnFileProgress(nullptr, total, now, 0, 0);
}

class ProgressDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetDownloadUiState();
        g_downloadUiState.mainLabel = 0;
        ResetInstallUiState();
        g_splashWindow = 0;
    }
};

const char* const kDownloadOpen = "{\"event\":\"dialog\",\"dialog\":101,\"title\":\"下载文件\",\"action\":\"open\"}\n";

// The starters return once the dialog has recorded its handles, so not even the first
// message is lost.
TEST_F(ProgressDialogs, ACloseRightAfterTheStartReachesTheDialog)
{
    ScriptedUi ui;
    platform::CDialogThread& thread = StartDownloadDialogThread();
    SingleProgress(10, 10);
    thread.Wait();
    EXPECT_TRUE(ui.Transcript().ends_with("{\"event\":\"dialog\",\"dialog\":101,\"action\":\"end\",\"result\":0}\n"));
}

TEST_F(ProgressDialogs, SingleDialogShowsTruncatedPercentagesAndClosesOnlyAtExactlyHundred)
{
    ScriptedUi ui;
    platform::CDialogThread& thread = StartDownloadDialogThread();
    const WindowHandle dialog = g_downloadUiState.dialog.load();
    SingleProgress(3000, 1500);
    SingleProgress(3000, 2999);
    EXPECT_EQ(platform::ControlText(g_downloadUiState.mainLabel), L"99 %");
    EXPECT_TRUE(platform::DialogExists(dialog));
    SingleProgress(3000, 3000);
    thread.Wait();
    SingleProgress(3000, 3000);
    EXPECT_EQ(g_downloadUiState.cancelled, 0);
    EXPECT_EQ(ui.Transcript(), std::string(kDownloadOpen) +
                                   "{\"event\":\"bar\",\"dialog\":101,\"control\":1003,\"pos\":50}\n"
                                   "{\"event\":\"text\",\"dialog\":101,\"control\":1002,\"text\":\"50 %\"}\n"
                                   "{\"event\":\"bar\",\"dialog\":101,\"control\":1003,\"pos\":99}\n"
                                   "{\"event\":\"text\",\"dialog\":101,\"control\":1002,\"text\":\"99 %\"}\n"
                                   "{\"event\":\"bar\",\"dialog\":101,\"control\":1003,\"pos\":100}\n"
                                   "{\"event\":\"text\",\"dialog\":101,\"control\":1002,\"text\":\"100 %\"}\n"
                                   "{\"event\":\"dialog\",\"dialog\":101,\"action\":\"end\",\"result\":0}\n");
}

// With no total the bar stays where it is and the remembered percentage drops to 0, so
// the next step is counted from 0 again.
TEST_F(ProgressDialogs, AnUnknownTotalLeavesTheBarAndTheDialogAlone)
{
    ScriptedUi ui;
    StartDownloadDialogThread();
    const WindowHandle dialog = g_downloadUiState.dialog.load();
    SingleProgress(100, 40);
    SingleProgress(0, 0);
    EXPECT_EQ(platform::BarPosition(g_downloadUiState.mainBar), 40);
    EXPECT_EQ(platform::ControlText(g_downloadUiState.mainLabel), L"0 %");
    EXPECT_EQ(g_downloadUiState.mainPercent, 0);
    SingleProgress(100, 50);
    EXPECT_EQ(platform::BarPosition(g_downloadUiState.mainBar), 90);
    EXPECT_TRUE(platform::DialogExists(dialog));
}

TEST_F(ProgressDialogs, TwoBarDialogStepsFilesAndOverallAndClosesAfterTheLastFile)
{
    ScriptedUi ui;
    platform::CDialogThread& thread = StartDownloadFilesDialogThread();
    const WindowHandle fileBar = g_downloadUiState.fileBar;
    for (int file = 1; file <= 3; ++file) {
        g_downloadUiState.filePercent = 0;
        FileProgress(0, 0);
        FileProgress(3000, 2999);
        EXPECT_EQ(platform::ControlText(g_downloadUiState.fileLabel), L"99 %");
        FileProgress(3000, 3000);
        EXPECT_TRUE(platform::DialogExists(g_downloadUiState.dialog)) << "the file bar never closes the dialog";
        StepOverallProgress(file, 3);
    }
    thread.Wait();
    EXPECT_FALSE(platform::DialogExists(g_downloadUiState.dialog));
    EXPECT_EQ(platform::BarPosition(fileBar), 0);
    const std::string transcript = ui.Transcript();
    const auto overall = [&](int pos) {
        return transcript.find("{\"event\":\"bar\",\"dialog\":107,\"control\":1006,\"pos\":" + std::to_string(pos) + "}\n");
    };
    ASSERT_NE(overall(33), std::string::npos);
    EXPECT_LT(overall(33), overall(66));
    EXPECT_LT(overall(66), overall(100));
    EXPECT_NE(transcript.find("{\"event\":\"text\",\"dialog\":107,\"control\":1009,\"text\":\"99 %\"}\n"), std::string::npos);
    // The file bar is not reset between files: the second file's first step wraps it.
    EXPECT_NE(transcript.find("{\"event\":\"bar\",\"dialog\":107,\"control\":1007,\"pos\":99}\n"
                              "{\"event\":\"text\",\"dialog\":107,\"control\":1009,\"text\":\"99 %\"}\n"
                              "{\"event\":\"bar\",\"dialog\":107,\"control\":1007,\"pos\":100}\n"),
              std::string::npos);
    EXPECT_TRUE(transcript.ends_with("{\"event\":\"dialog\",\"dialog\":107,\"action\":\"end\",\"result\":0}\n"));
}

TEST_F(ProgressDialogs, ProgressWaitsWhileTheQuestionIsOpen)
{
    ScriptedUi ui;
    g_downloadUiState.asking = 1;
    auto stepped = std::async(std::launch::async, [] { FileProgress(100, 10); });
    EXPECT_EQ(stepped.wait_for(1500ms), std::future_status::timeout);
    g_downloadUiState.asking = 0;
    EXPECT_EQ(stepped.wait_for(3s), std::future_status::ready);
    EXPECT_EQ(g_downloadUiState.filePercent, 10);
}

TEST_F(ProgressDialogs, ConfirmedCancelSetsTheFlagAndEndsTheDialog)
{
    ScriptedUi ui("press 1004 in 101 when 1003 >= 20\nyes\n");
    platform::CDialogThread& thread = StartDownloadDialogThread();
    SingleProgress(100, 10);
    EXPECT_EQ(g_downloadUiState.cancelled, 0);
    SingleProgress(100, 25);
    EXPECT_EQ(g_downloadUiState.cancelled, 1);
    EXPECT_EQ(g_downloadUiState.asking, 0);
    thread.Wait();
    // The label is not written: the dialog ended while the bar stepped.
    EXPECT_TRUE(ui.Transcript().ends_with(
        "{\"event\":\"bar\",\"dialog\":101,\"control\":1003,\"pos\":25}\n"
        "{\"event\":\"press\",\"dialog\":101,\"control\":1004}\n"
        "{\"event\":\"messagebox\",\"title\":\"下载提示\",\"text\":\"是否终止下载更新\",\"style\":4100,\"answer\":\"yes\",\"owner\":101}\n"
        "{\"event\":\"dialog\",\"dialog\":101,\"action\":\"end\",\"result\":0}\n"))
        << ui.Transcript();
}

TEST_F(ProgressDialogs, EscapeAsksTooAndNoKeepsTheDownloadGoing)
{
    ScriptedUi ui("press 2 in 107\nno\n");
    StartDownloadFilesDialogThread();
    const WindowHandle dialog = g_downloadUiState.dialog.load();
    for (int i = 0; i < 500 && ui.Transcript().find("messagebox") == std::string::npos; ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_NE(ui.Transcript().find("\"answer\":\"no\",\"owner\":107}"), std::string::npos);
    EXPECT_TRUE(platform::DialogExists(dialog));
    EXPECT_EQ(g_downloadUiState.cancelled, 0);
    platform::SendDialogCommand(dialog, IDOK);
    EXPECT_FALSE(platform::DialogExists(dialog));
    EXPECT_EQ(g_downloadUiState.cancelled, 0);
}

TEST_F(ProgressDialogs, InstallDialogAsksWithoutOwnerAndClosesAtTheLastFile)
{
    {
        ScriptedUi ui("press 1004 in 102 when 1005 >= 50\nyes\n");
        platform::CDialogThread& thread = StartInstallDialogThread();
        StepInstallProgress(1, 2);
        thread.Wait();
        EXPECT_EQ(g_installUiState.cancelled, 1);
        EXPECT_NE(ui.Transcript().find("{\"event\":\"messagebox\",\"title\":\"更新提示\",\"text\":\"未安装退出会导致软件无法使用，是否确认退出!\","
                                       "\"style\":4100,\"answer\":\"yes\",\"owner\":0}\n"),
                  std::string::npos);
    }
    ResetInstallUiState();
    ScriptedUi ui;
    platform::CDialogThread& thread = StartInstallDialogThread();
    for (int done = 1; done <= 3; ++done)
        StepInstallProgress(done, 3);
    thread.Wait();
    EXPECT_EQ(g_installUiState.cancelled, 0);
    EXPECT_NE(ui.Transcript().find("\"control\":1005,\"pos\":100}\n{\"event\":\"dialog\",\"dialog\":102,\"action\":\"end\""), std::string::npos);
}

TEST_F(ProgressDialogs, SplashEndsOnlyOnOk)
{
    ScriptedUi ui;
    platform::CDialogThread& thread = StartSplashDialogThread();
    const WindowHandle splash = g_splashWindow.load();
    platform::SendDialogCommand(splash, IDCANCEL);
    EXPECT_TRUE(platform::DialogExists(splash));
    platform::SendDialogCommand(splash, IDOK);
    thread.Wait();
    EXPECT_EQ(ui.Transcript(),
              "{\"event\":\"dialog\",\"dialog\":109,\"title\":\"\",\"action\":\"open\"}\n"
              "{\"event\":\"dialog\",\"dialog\":109,\"action\":\"end\",\"result\":0}\n");
}

}  // namespace
