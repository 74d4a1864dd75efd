// The real updater's update mode in a client tree against nginx, the sample client
// as the game client ("mox.exe") and the script UI answering.
#include "platform/text.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ClientTree.h"
#include "tests/support/ClientVersion.h"
#include "tests/support/NginxServer.h"
#include "tests/support/TempDir.h"
#include "tests/support/UpdateLogText.h"
#include "tests/support/VexaSign.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using testing_support::ChildOptions;
using testing_support::ChildProcess;
using testing_support::ClientTree;
using testing_support::DifferingFiles;
using testing_support::LogMessages;
using testing_support::NginxServer;
using testing_support::ReadFileBytes;
using testing_support::RunVexaSign;
using testing_support::TempDir;
using testing_support::VersionFiles;
using testing_support::WriteFileBytes;
using testing_support::WriteVersionFiles;
using testing_support::WriteVersionList;

const std::string kSampleClient = TEST_BIN_DIR "/mox-sample-client";
const VersionFiles kOld = {{"/a.txt", "old a"}, {"/keep.txt", "same"}};

class UpdateModeTest : public ::testing::Test {
protected:
    UpdateModeTest()
    {
        WriteVersionFiles(tree.Root(), kOld);
        EXPECT_TRUE(WriteVersionList(tree.Root(), kOld, tree.ModuleFolder() / "filelist.xml"));
        fs::copy_file(kSampleClient, tree.Root() / "mox.exe");
        WriteFileBytes(tree.ModuleFolder() / "vexa.xml", Config("1.0.0", "0.0.0"));
    }

    std::string Config(const std::string& version, const std::string& minimum,
                       const std::string& method = "filelist") const
    {
        const std::string url = server.BaseUrl() + "MOXUpdate";
        return "<vexa>\n  <StartExecute>mox.exe</StartExecute>\n  <MinVersion>" + minimum +
               "</MinVersion>\n  <SelfUrl>" + url + "</SelfUrl>\n  <ProductCode>MOX</ProductCode>\n  <DownloadUrl>" +
               url + "</DownloadUrl>\n  <UpdateMethod>" + method + "</UpdateMethod>\n  <CurVersion>" + version +
               "</CurVersion>\n</vexa>\n";
    }

    fs::path VersionSite() const { return server.SiteRoot() / "MOXUpdate" / "MOX" / "1.1.0"; }

    void Publish(const std::string& minimum, const VersionFiles& files, const std::string& method = "filelist")
    {
        server.Publish("MOXUpdate/MOX/vexa.xml", Config("1.1.0", minimum, method));
        WriteVersionFiles(VersionSite(), files);
        ASSERT_TRUE(WriteVersionList(VersionSite(), files, VersionSite() / "vexa" / "filelist.xml"));
    }

    int RunUpdate(const std::string& script = "")
    {
        WriteFileBytes(scratch.Path() / "ui.script", script);
        ChildOptions options;
        options.arguments = {"update"};
        options.environment = {{"XDG_RUNTIME_DIR", runtime.Path().string()},
                               {"VEXA_UI", "script"},
                               {"VEXA_UI_SCRIPT", (scratch.Path() / "ui.script").string()},
                               {"VEXA_UI_LOG", (scratch.Path() / "ui.jsonl").string()},
                               {"MOX_SAMPLE_CLIENT_LOG", ClientLog().string()}};
        ChildProcess vexa(tree.Program().string(), options);
        EXPECT_TRUE(vexa.Wait(120s));
        return vexa.ExitCode();
    }

    fs::path ClientLog() const { return scratch.Path() / "client.log"; }
    std::string Client() const
    {
        // A self-update copies the whole updater before the client reports.
        const auto deadline = std::chrono::steady_clock::now() + 60s;
        while (!fs::exists(ClientLog()) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        std::this_thread::sleep_for(200ms);
        return ReadFileBytes(ClientLog());
    }
    bool InTranscript(const std::string& event) const
    {
        return ReadFileBytes(scratch.Path() / "ui.jsonl").find(event + "\n") != std::string::npos;
    }
    bool Logged(const std::wstring& line) const
    {
        const auto lines = LogMessages(tree.ModuleFolder() / "log" / "update.log");
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    TempDir runtime;
    TempDir scratch;
    NginxServer server;
    ClientTree tree{VEXA_BINARY};
};

TEST_F(UpdateModeTest, ForcedUpdateInstallsChangedFilesAndHandsTheUpdaterToTheClient)
{
    // The new updater: the same program with a different digest.
    const std::string updater = ReadFileBytes(tree.Program()) + "\n1.1.0\n";
    const VersionFiles newest = {{"/a.txt", "new a"}, {"/data/n.pak", "new n"}, {"/keep.txt", "same"},
                                 {"/vexa/vexa", updater}};
    Publish("1.1.0", newest);

    EXPECT_EQ(RunUpdate(), 0);
    EXPECT_EQ(Client(), "-updatevexa: 1.1.0: vexa\n");
    EXPECT_EQ(DifferingFiles(tree.Root(), newest), "");
    EXPECT_EQ(ReadFileBytes(tree.ModuleFolder() / "vexa.xml"), Config("1.1.0", "1.1.0"));
    EXPECT_EQ(ReadFileBytes(tree.ModuleFolder() / "filelist.xml"),
              ReadFileBytes(VersionSite() / "vexa" / "filelist.xml"));
    for (const char* gone : {"backup", "tempDownload", "temp_downloadInfo.xml", "needupdate.txt"})
        EXPECT_FALSE(fs::exists(tree.ModuleFolder() / gone)) << gone;
    EXPECT_TRUE(Logged(L"检测到有更新需要强制升级"));
    EXPECT_TRUE(InTranscript(R"({"event":"dialog","dialog":109,"action":"end","result":0})"));
    EXPECT_EQ(ReadFileBytes(scratch.Path() / "ui.jsonl").find("messagebox"), std::string::npos) << "no question";
}

TEST_F(UpdateModeTest, DeclinedOptionalUpdateStartsTheInstalledClientAndKeepsTheDownloadFolder)
{
    Publish("1.0.0", {{"/a.txt", "new a"}, {"/keep.txt", "same"}});
    EXPECT_EQ(RunUpdate("no\n"), 0);
    EXPECT_TRUE(InTranscript(R"({"event":"messagebox","title":"更新提示","text":"检测到有可用更新，是否立即下载并安装!","style":4100,"answer":"no","owner":0})"));
    EXPECT_EQ(Client(), "-onlymain: started\n");
    EXPECT_EQ(DifferingFiles(tree.Root(), kOld), "");
    EXPECT_TRUE(fs::exists(tree.ModuleFolder() / "tempDownload" / "vexa.xml"));
}

TEST_F(UpdateModeTest, NoUpdateDeletesTheDownloadFolderAndStartsTheClient)
{
    server.Publish("MOXUpdate/MOX/vexa.xml", Config("1.0.0", "0.0.0"));
    EXPECT_EQ(RunUpdate(), 0);
    EXPECT_EQ(Client(), "-onlymain: started\n");
    EXPECT_FALSE(fs::exists(tree.ModuleFolder() / "tempDownload"));
    EXPECT_TRUE(Logged(L"当前版本是最新版本，不需要更新!"));
}

TEST_F(UpdateModeTest, FailedCheckIsShownAndTheClientStarts)
{
    EXPECT_EQ(RunUpdate(), 0);  // nothing published: 404
    EXPECT_TRUE(InTranscript(R"({"event":"messagebox","title":"更新提示","text":"检测更新失败","style":4096,"answer":"ok","owner":0})"));
    EXPECT_TRUE(Logged(L"升级程序检测更新失败"));
    EXPECT_EQ(Client(), "-onlymain: started\n");
}

TEST_F(UpdateModeTest, FailedInstallationRollsBackCleansUpAndStartsTheOldClient)
{
    // "keep.txt" is a file in the installed tree, so "keep.txt/x.dat" cannot be installed.
    Publish("1.1.0", {{"/a.txt", "new a"}, {"/keep.txt/x.dat", "x"}});
    EXPECT_EQ(RunUpdate(), 0);
    EXPECT_TRUE(InTranscript(R"({"event":"messagebox","title":"更新提示","text":"安装更新失败","style":4096,"answer":"ok","owner":0})"));
    EXPECT_EQ(DifferingFiles(tree.Root(), kOld), "");
    EXPECT_EQ(Client(), "-onlymain: started\n");
    EXPECT_FALSE(fs::exists(tree.ModuleFolder() / "tempDownload"));
    EXPECT_FALSE(fs::exists(tree.ModuleFolder() / "needupdate.txt"));
}

TEST_F(UpdateModeTest, InstallerMethodStartsTheDownloadedInstallerOnce)
{
    Publish("1.1.0", {}, "Installer");
    WriteFileBytes(VersionSite() / "MOXInstaller.exe", "#!/bin/sh\necho installer >> \"$MOX_SAMPLE_CLIENT_LOG\"\n");
    EXPECT_EQ(RunUpdate(), 0);
    EXPECT_EQ(Client(), "installer\n");
    EXPECT_EQ(ReadFileBytes(tree.ModuleFolder() / "vexa.xml"), Config("1.0.0", "0.0.0")) << "left to the installer";
}

TEST_F(UpdateModeTest, UnsignedInstallerIsNeverStartedUnderSignedPublishing)
{
    Publish("1.1.0", {}, "Installer");
    WriteFileBytes(VersionSite() / "MOXInstaller.exe", "#!/bin/sh\necho installer >> \"$MOX_SAMPLE_CLIENT_LOG\"\n");
    const TempDir publisher;
    RunVexaSign({"keygen", publisher.Path().string()});
    RunVexaSign({"sign", (publisher.Path() / "update.key").string(),
                 (server.SiteRoot() / "MOXUpdate" / "MOX" / "vexa.xml").string()});
    fs::copy_file(publisher.Path() / "update.pub", tree.ModuleFolder() / "update.pub");

    EXPECT_EQ(RunUpdate(), 0);
    EXPECT_EQ(Client(), "-onlymain: started\n");
    EXPECT_TRUE(InTranscript(R"({"event":"messagebox","title":"下载提示","text":"安装包下载失败","style":4096,"answer":"ok","owner":0})"));
}

}  // namespace

// A forced update of a dozen files killed with SIGKILL after a given time, then run
// again to its end: the tree must then be the new version by digest.
class KilledUpdateTest : public UpdateModeTest, public ::testing::WithParamInterface<int> {
protected:
    void KillAfterThenRerun(int milliseconds)
    {
        VersionFiles older;
        VersionFiles newest;
        for (int i = 0; i < 12; ++i) {
            const std::string name = "/data/" + std::to_string(i % 3) + "/f" + std::to_string(i) + ".pak";
            older[name] = "old " + std::to_string(i);
            newest[name] = i < 10 ? "new " + std::to_string(i) + std::string(4096, 'x') : older[name];
        }
        newest["/data/added.pak"] = "added";
        WriteVersionFiles(tree.Root(), older);
        ASSERT_TRUE(WriteVersionList(tree.Root(), older, tree.ModuleFolder() / "filelist.xml"));
        Publish("1.1.0", newest);

        ChildOptions options;
        options.arguments = {"update"};
        options.environment = {{"XDG_RUNTIME_DIR", runtime.Path().string()},
                               {"VEXA_UI", "script"},
                               {"VEXA_UI_LOG", (scratch.Path() / "killed.jsonl").string()}};
        ChildProcess killed(tree.Program().string(), options);
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        killed.Kill(SIGKILL);
        killed.Wait();

        EXPECT_EQ(RunUpdate(), 0);
        EXPECT_EQ(DifferingFiles(tree.Root(), newest), "") << "killed after " << milliseconds << " ms";
        EXPECT_EQ(ReadFileBytes(tree.ModuleFolder() / "vexa.xml"), Config("1.1.0", "1.1.0"));
        EXPECT_FALSE(fs::exists(tree.ModuleFolder() / "backup"));
    }
};

// Spread over the check, the download, the installation and the list replacement.
INSTANTIATE_TEST_SUITE_P(Moments, KilledUpdateTest, ::testing::Values(300, 1200, 2500, 4000, 5500, 7000));

TEST_P(KilledUpdateTest, NextRunReachesTheNewVersion)
{
    KillAfterThenRerun(GetParam());
}

// bench/crash_points.sh runs this at random moments: VEXA_CRASH_KILL_MS names one.
TEST_F(KilledUpdateTest, KilledAtTheMomentFromTheEnvironment)
{
    const char* moment = std::getenv("VEXA_CRASH_KILL_MS");
    if (!moment)
        GTEST_SKIP() << "VEXA_CRASH_KILL_MS is not set";
    KillAfterThenRerun(std::atoi(moment));
}
