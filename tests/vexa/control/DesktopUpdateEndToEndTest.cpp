// The real updater on a desktop of its own, used through its windows as a player
// would: the driver finds them by title, reads them and clicks their buttons.
#include "tests/support/DesktopSession.h"
#include "tests/vexa/control/UpdateModeFixture.h"

#include <cstdlib>
#include <regex>

namespace {

using namespace update_mode_testing;
using testing_support::DesktopSession;

class DesktopUpdateTest : public UpdateModeTest {
protected:
    DesktopUpdateTest()
    {
        if (desktop.Failure().empty())
            fs::copy_file(VEXA_UI_DESKTOP_MODULE, tree.ModuleFolder() / fs::path(VEXA_UI_DESKTOP_MODULE).filename());
    }

    // The updater on this desktop, with VEXA_UI set to ui: empty as the game starts it,
    // so that the display makes it the desktop backend.
    ChildOptions DesktopOptions(const std::string& ui) const
    {
        ChildOptions options = UpdateOptions();
        std::erase_if(options.environment, [](const auto& entry) { return entry.first.starts_with("VEXA_UI"); });
        options.environment.emplace_back("VEXA_UI", ui);
        for (const auto& entry : desktop.Environment())
            options.environment.push_back(entry);
        return options;
    }

    // The updater as the game starts it, driven by the steps; returns the driver's output.
    std::string UpdateDriven(const std::vector<std::string>& steps)
    {
        const std::unique_ptr<ChildProcess> driver = desktop.StartDriver(steps);
        ChildProcess vexa(tree.Program().string(), DesktopOptions(""));
        const std::string driven = DesktopSession::Driven(*driver);
        EXPECT_TRUE(vexa.Wait(120s));
        EXPECT_EQ(vexa.ExitCode(), 0) << vexa.Stderr();
        return driven;
    }

    DesktopSession desktop;
};

// A fresh tree's installer download: cancelled by clicking, kept, resumed next run.
TEST_F(DesktopUpdateTest, CancelClickedInTheDownloadDialogKeepsThePartialFileWhichTheNextRunResumes)
{
    if (!desktop.Failure().empty())
        GTEST_SKIP() << "no virtual display: " << desktop.Failure();
    const std::string installer = InstallerScript();
    Publish("1.1.0", {}, "Installer");
    WriteFileBytes(VersionSite() / "MOXInstaller.exe", installer);
    const fs::path local = VersionDownload() / "MOXInstaller.exe";

    // The dialog is read while the question holds the transfer, so its label and bar
    // cannot move between the two reads.
    const std::string driven = UpdateDriven({"bar=下载文件:1:40", "click=下载文件:取消", "read=下载提示", "read=下载文件",
                                             "click=下载提示:是", "gone=下载文件", "text=下载提示:已取消下载",
                                             "click=下载提示:确定", "text=下载提示:安装包下载失败", "click=下载提示:确定",
                                             "gone=下载提示"});
    // The label and the bar as the player read them, at the same percentage or one apart.
    std::smatch read;
    ASSERT_TRUE(std::regex_search(driven, read, std::regex("read 下载文件\nlabel (\\d+) %\nbar (\\d+)\n"))) << driven;
    EXPECT_GE(std::stoi(read[2]), 40);
    EXPECT_LE(std::abs(std::stoi(read[1]) - std::stoi(read[2])), 1);
    EXPECT_NE(driven.find("read 下载提示\nlabel 是否终止下载更新\nread 下载文件\n"), std::string::npos) << driven;
    EXPECT_TRUE(driven.ends_with("done\n")) << driven;
    EXPECT_TRUE(LoggedInOrder({L"检测到有更新需要强制升级", L"安装包下载失败"}));
    EXPECT_EQ(Client(), "-onlymain: started\n");
    const std::size_t kept = fs::file_size(local);
    EXPECT_GE(kept, installer.size() * 4 / 10);
    EXPECT_LT(kept, installer.size());

    EXPECT_TRUE(UpdateDriven({"window=下载文件", "gone=下载文件"}).ends_with("done\n"));
    EXPECT_EQ(Client(2), "-onlymain: started\ninstaller\n");
    EXPECT_EQ(ReadFileBytes(local), installer);
    EXPECT_NE(server.AccessLog().find("MOXInstaller.exe HTTP/1.1 206 range=bytes=" + std::to_string(kept) + "-\n"), std::string::npos);
}

TEST_F(DesktopUpdateTest, OptionalUpdateAnsweredYesByClickingIsInstalled)
{
    if (!desktop.Failure().empty())
        GTEST_SKIP() << "no virtual display: " << desktop.Failure();
    const VersionFiles newest = {{"/a.txt", "new a"}, {"/keep.txt", "same"}};
    Publish("0.0.0", newest);

    const std::string driven =
        UpdateDriven({"window=更新提示", "read=更新提示", "click=更新提示:是", "gone=更新提示"});
    EXPECT_TRUE(driven.ends_with("ready\nread 更新提示\nlabel 检测到有可用更新，是否立即下载并安装!\ndone\n")) << driven;
    EXPECT_EQ(Client(), "-onlymain: started\n");
    EXPECT_EQ(DifferingFiles(tree.Root(), newest), "");
    EXPECT_EQ(ReadFileBytes(tree.ModuleFolder() / "vexa.xml"), Config("1.1.0", "0.0.0"));
}

// Forced onto a display that is not there, the updater falls back to the console,
// which without a terminal can ask nobody: the log says both, and the optional update
// is declined by its default answer.
TEST_F(DesktopUpdateTest, ADesktopThatCannotStartFallsBackToTheConsoleAndTheLogSaysSo)
{
    if (!desktop.Failure().empty())
        GTEST_SKIP() << "no virtual display: " << desktop.Failure();
    Publish("0.0.0", {{"/a.txt", "new a"}, {"/keep.txt", "same"}});
    ChildOptions options = DesktopOptions("desktop");
    options.environment.emplace_back("DISPLAY", ":4242");
    ChildProcess vexa(tree.Program().string(), options);
    ASSERT_TRUE(vexa.Wait(120s));
    EXPECT_EQ(vexa.ExitCode(), 0) << vexa.Stderr();
    EXPECT_TRUE(LoggedInOrder({L"桌面界面无法启动, 改用控制台: cannot open display :4242",
                               L"无人可以回答[更新提示] 检测到有可用更新，是否立即下载并安装!, 采用默认答案 no",
                               L"可选更新未被接受(应答 7)，启动已安装的版本"}));
    EXPECT_EQ(Client(), "-onlymain: started\n");
    EXPECT_EQ(DifferingFiles(tree.Root(), kOld), "");
}

}  // namespace
