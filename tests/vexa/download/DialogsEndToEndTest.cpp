#include "platform/testing/terminal_process.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ClientTree.h"
#include "tests/support/DesktopSession.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <regex>
#include <thread>

namespace {

using namespace std::chrono_literals;
using testing_support::ChildOptions;
using testing_support::ChildProcess;
using platform::testing::CTerminalProcess;

const std::string kProbe = std::string(TEST_BIN_DIR) + "/vexa-dialog-probe";

// The console backend, whatever the test runner's own environment says.
const std::vector<std::pair<std::string, std::string>> kConsole = {{"VEXA_UI", "console"}};

TEST(ConsoleDialogs, AtATerminalTheDialogIsDrawnAndRedrawnInPlace)
{
    CTerminalProcess probe(kProbe, {"single", "100", "10", "20"}, kConsole);
    ASSERT_TRUE(probe.Wait());
    EXPECT_EQ(probe.ExitCode(), 0);
    const std::string& output = probe.Output();
    EXPECT_NE(output.find("== 下载文件 ==\r\n"), std::string::npos) << output;
    EXPECT_NE(output.find("\x1b[4F"), std::string::npos) << "redrawn over its four lines";
    EXPECT_NE(output.find("[##############################] 100%"), std::string::npos);
    EXPECT_NE(output.find("100 %\r\n"), std::string::npos);
    EXPECT_NE(output.find("done"), std::string::npos);
}

TEST(ConsoleDialogs, CtrlCAsksFirstAndYesCancels)
{
    CTerminalProcess probe(kProbe, {"single", "1000", "1", "20"}, kConsole);
    ASSERT_TRUE(probe.WaitForOutput("== 下载文件 =="));
    probe.Type("\x03");
    ASSERT_TRUE(probe.WaitForOutput("[下载提示] 是否终止下载更新")) << probe.Output();
    ASSERT_TRUE(probe.WaitForOutput("[y/n] "));
    probe.Type("y\n");
    ASSERT_TRUE(probe.Wait());
    EXPECT_EQ(probe.ExitCode(), 3);
    EXPECT_NE(probe.Output().find("cancelled"), std::string::npos);
}

TEST(ConsoleDialogs, NoAnswerToTheQuestionGoesOn)
{
    CTerminalProcess probe(kProbe, {"single", "100", "2", "40"}, kConsole);
    ASSERT_TRUE(probe.WaitForOutput("== 下载文件 =="));
    probe.Type("\x03");
    ASSERT_TRUE(probe.WaitForOutput("[y/n] ")) << probe.Output();
    const std::size_t asked = probe.Output().size();
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(probe.Output().find("%", asked), std::string::npos) << "paused while asking";
    probe.Type("\n");
    ASSERT_TRUE(probe.Wait());
    EXPECT_EQ(probe.ExitCode(), 0);
    EXPECT_NE(probe.Output().find("done", asked), std::string::npos);
}

TEST(ConsoleDialogs, CtrlCWithoutADialogEndsTheProgram)
{
    CTerminalProcess probe(kProbe, {"idle", "20000"}, kConsole);
    std::this_thread::sleep_for(500ms);
    probe.Type("\x03");
    ASSERT_TRUE(probe.Wait(5s));
    EXPECT_EQ(probe.TermSignal(), SIGINT);
}

TEST(ConsoleDialogs, WithoutATerminalOnlyWholeTenthsArePrinted)
{
    ChildProcess probe(kProbe, ChildOptions{{"single", "100", "5", "0"}, kConsole});
    ASSERT_TRUE(probe.Wait());
    EXPECT_EQ(probe.Stdout(),
              "下载文件 10%\n下载文件 20%\n下载文件 30%\n下载文件 40%\n下载文件 50%\n"
              "下载文件 60%\n下载文件 70%\n下载文件 80%\n下载文件 90%\n下载文件 100%\ndone\n");
}

class ScriptDialogs : public ::testing::Test {
protected:
    int Run(const std::string& script, const std::vector<std::string>& arguments)
    {
        testing_support::WriteFileBytes(dir.Path() / "script.txt", script);
        ChildProcess probe(kProbe, ChildOptions{arguments,
                                                {{"VEXA_UI", "script"},
                                                 {"VEXA_UI_SCRIPT", (dir.Path() / "script.txt").string()},
                                                 {"VEXA_UI_LOG", (dir.Path() / "ui.jsonl").string()}}});
        EXPECT_TRUE(probe.Wait());
        return probe.ExitCode();
    }
    std::string Transcript() const { return testing_support::ReadFileBytes(dir.Path() / "ui.jsonl"); }

    testing_support::TempDir dir;
};

TEST_F(ScriptDialogs, PressAtABarPositionCancelsThereAfterTheHeldAnswer)
{
    EXPECT_EQ(Run("press 1004 in 101 when 1003 >= 30\nyes after 300\n", {"single", "100", "1", "5"}), 3);
    const std::string transcript = Transcript();
    EXPECT_TRUE(transcript.starts_with("{\"event\":\"dialog\",\"dialog\":101,\"title\":\"下载文件\",\"action\":\"open\"}\n"));
    EXPECT_TRUE(transcript.ends_with(
        "{\"event\":\"text\",\"dialog\":101,\"control\":1002,\"text\":\"29 %\"}\n"
        "{\"event\":\"bar\",\"dialog\":101,\"control\":1003,\"pos\":30}\n"
        "{\"event\":\"press\",\"dialog\":101,\"control\":1004}\n"
        "{\"event\":\"messagebox\",\"title\":\"下载提示\",\"text\":\"是否终止下载更新\",\"style\":4100,\"answer\":\"yes\",\"owner\":101}\n"
        "{\"event\":\"dialog\",\"dialog\":101,\"action\":\"end\",\"result\":0}\n"))
        << transcript;
}

TEST_F(ScriptDialogs, TwoBarDialogReportsEveryFileAndTheOverallBar)
{
    EXPECT_EQ(Run("", {"files", "3", "3000", "2999", "0"}), 0);
    const std::string transcript = Transcript();
    for (const char* line : {"{\"event\":\"text\",\"dialog\":107,\"control\":1009,\"text\":\"99 %\"}\n",
                             "{\"event\":\"bar\",\"dialog\":107,\"control\":1006,\"pos\":33}\n",
                             "{\"event\":\"bar\",\"dialog\":107,\"control\":1006,\"pos\":66}\n",
                             "{\"event\":\"bar\",\"dialog\":107,\"control\":1006,\"pos\":100}\n"})
        EXPECT_NE(transcript.find(line), std::string::npos) << line;
    EXPECT_TRUE(transcript.ends_with("{\"event\":\"dialog\",\"dialog\":107,\"action\":\"end\",\"result\":0}\n"));
}

// Each dialog and the cancel question as windows of a desktop of their own, used as a
// player would; every one is photographed (build/desktop-images/, the pictures of
// docs/images/) and must show more than a blank area.
TEST(DesktopDialogs, EveryDialogIsAWindowAPersonCanReadAndAnswer)
{
    const testing_support::DesktopSession desktop;
    if (!desktop.Failure().empty())
        GTEST_SKIP() << "no virtual display: " << desktop.Failure();
    const std::filesystem::path images = std::filesystem::path(TEST_BIN_DIR) / ".." / "desktop-images";
    std::filesystem::create_directories(images);
    const auto shot = [&](const std::string& title, const std::string& name) { return "shot=" + title + ":" + (images / name).string(); };
    const auto run = [&](const std::vector<std::string>& arguments, const std::vector<std::string>& steps, int exitCode) {
        std::vector<std::pair<std::string, std::string>> environment = desktop.Environment();
        environment.emplace_back("VEXA_UI", "desktop");
        const std::unique_ptr<ChildProcess> driver = desktop.StartDriver(steps);
        ChildProcess probe(kProbe, ChildOptions{arguments, environment});
        const std::string driven = testing_support::DesktopSession::Driven(*driver);
        EXPECT_TRUE(probe.Wait(60s));
        EXPECT_EQ(probe.ExitCode(), exitCode) << probe.Stderr();
        EXPECT_TRUE(driven.ends_with("done\n")) << driven;
        return driven;
    };

    std::string driven = run({"splash", "1500"}, {"splash", shot("splash", "splash.png"), "gone=splash"}, 0);
    driven += run({"files", "2", "100", "1", "20"}, {"bar=下载文件:1:50", "read=下载文件", "hints=下载文件", shot("下载文件", "download-files.png"), "gone=下载文件"}, 0);
    driven += run({"install", "100", "1", "30"}, {"bar=自动更新:1:50", shot("自动更新", "install.png"), "gone=自动更新"}, 0);
    // Escape answers No and the transfer goes on; Enter takes the focused Yes.
    driven += run({"single", "400", "1", "20"},
                  {"bar=下载文件:1:20", shot("下载文件", "download.png"), "click=下载文件:取消", "read=下载提示", "hints=下载提示",
                   shot("下载提示", "question.png"), "key=下载提示:Escape", "gone=下载提示", "bar=下载文件:1:30",
                   "click=下载文件:取消", "window=下载提示", "key=下载提示:Return", "gone=下载文件"},
                  3);
    EXPECT_TRUE(std::regex_search(driven, std::regex("read 下载文件\nlabel \\d+ %\nbar \\d+\nlabel 已下载...\nbar \\d+\n"))) << driven;
    EXPECT_NE(driven.find("read 下载提示\nlabel 是否终止下载更新\n"), std::string::npos) << driven;
    // Above the game's window with the program's icon; the dialog in the task bar, its
    // question modal and under the dialog's entry there, as an owned window is.
    EXPECT_NE(driven.find("hints 下载文件 icon 64x64 ABOVE\n"), std::string::npos) << driven;
    EXPECT_NE(driven.find("hints 下载提示 icon 64x64 ABOVE MODAL SKIP_TASKBAR\n"), std::string::npos) << driven;
    std::smatch colours;
    for (const char* name : {"splash.png", "download-files.png", "install.png", "download.png", "question.png"}) {
        ASSERT_TRUE(std::regex_search(driven, colours, std::regex((images / name).string() + " (\\d+)"))) << name;
        EXPECT_GT(std::stoi(colours[1]), 20) << name << " looks blank";
    }
}

}  // namespace
