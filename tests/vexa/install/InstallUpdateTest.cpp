// The installation step run by the probe in a client tree whose download step is
// already done: files in "tempDownload/1.1.0/", the download info file, the new list
// and configuration. The install dialog runs on the script backend.
#include "tests/support/ChildProcess.h"
#include "tests/support/ClientTree.h"
#include "tests/support/ClientVersion.h"
#include "tests/support/SystemErrors.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestProgram.h"
#include "tests/support/UpdateLogText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using testing_support::Below;
using testing_support::ChildOptions;
using testing_support::ChildProcess;
using testing_support::ClientTree;
using testing_support::DifferingFiles;
using testing_support::LogMessages;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::UpdaterPath;
using testing_support::VersionFiles;
using testing_support::WriteFileBytes;
using testing_support::WriteVersionFiles;
using testing_support::WriteVersionList;

const std::string kProbe = testing_support::TestProgram("vexa-control-probe");
const std::string kSampleClient = testing_support::TestProgram("mox-sample-client");

std::string Config(const std::string& version)
{
    return "<vexa>\n  <StartExecute>mox.exe</StartExecute>\n  <ProductCode>MOX</ProductCode>\n"
           "  <UpdateMethod>filelist</UpdateMethod>\n  <CurVersion>" + version + "</CurVersion>\n</vexa>\n";
}

const VersionFiles kOld = {{"/a.txt", "old a"}, {"/keep.txt", "same"}, {"/sub/b.txt", "old b"}};

class InstallTest : public ::testing::Test {
protected:
    InstallTest()
    {
        WriteVersionFiles(tree.Root(), kOld);
        EXPECT_TRUE(WriteVersionList(tree.Root(), kOld, Module() / "filelist.xml"));
        fs::copy_file(kSampleClient, tree.Root() / "mox.exe");
        WriteFileBytes(Module() / "vexa.xml", Config("1.0.0"));
        fs::create_directories(Module() / "tempDownload");
        WriteFileBytes(Module() / "tempDownload" / "vexa.xml", Config("1.1.0"));
    }

    fs::path Module() const { return tree.ModuleFolder(); }
    fs::path VersionFolder() const { return Module() / "tempDownload" / "1.1.0"; }

    // Publishes newest (every file of the new version) and downloads changed ones.
    void Downloaded(const VersionFiles& newest, const VersionFiles& changed)
    {
        WriteVersionFiles(published.Path(), newest);
        ASSERT_TRUE(WriteVersionList(published.Path(), newest, VersionFolder() / "vexa" / "filelist.xml"));
        WriteVersionFiles(VersionFolder(), changed);
        ASSERT_TRUE(WriteVersionList(VersionFolder(), changed, Module() / "temp_downloadInfo.xml"));
    }

    int Install(const std::string& script = "")
    {
        WriteFileBytes(scratch.Path() / "ui.script", script);
        ChildOptions options;
        options.arguments = {"install"};
        options.environment = {{"VEXA_UI", "script"},
                               {"VEXA_UI_SCRIPT", (scratch.Path() / "ui.script").string()},
                               {"VEXA_UI_LOG", Transcript().string()},
                               {"MOX_SAMPLE_CLIENT_LOG", ClientLog().string()}};
        ChildProcess probe(tree.Program().string(), options);
        EXPECT_TRUE(probe.Wait(60s));
        return probe.ExitCode();
    }

    fs::path Transcript() const { return scratch.Path() / "ui.jsonl"; }
    fs::path ClientLog() const { return scratch.Path() / "client.log"; }
    bool InTranscript(const std::string& event) const
    {
        return ReadFileBytes(Transcript()).find(event + "\n") != std::string::npos;
    }

    // What the started client printed, once it has printed something.
    std::string Client() const
    {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!fs::exists(ClientLog()) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        std::this_thread::sleep_for(100ms);
        return ReadFileBytes(ClientLog());
    }

    std::vector<std::wstring> Log() const { return LogMessages(Module() / "log" / "update.log"); }
    bool Logged(const std::wstring& line) const
    {
        const auto lines = Log();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    ClientTree tree{kProbe};
    TempDir published;
    TempDir scratch;
};

TEST_F(InstallTest, ChangedAndNewFilesAreInstalledListsReplacedAndTheNewClientStarted)
{
    const VersionFiles newest = {{"/a.txt", "new a"}, {"/fresh/c.txt", "new c"}, {"/keep.txt", "same"},
                                 {"/sub/b.txt", "new b"}};
    Downloaded(newest, {{"/a.txt", "new a"}, {"/fresh/c.txt", "new c"}, {"/sub/b.txt", "new b"}});
    const std::string newList = ReadFileBytes(VersionFolder() / "vexa" / "filelist.xml");

    ASSERT_EQ(Install(), 0);
    EXPECT_EQ(DifferingFiles(tree.Root(), newest), "");
    EXPECT_EQ(ReadFileBytes(Module() / "filelist.xml"), newList);
    EXPECT_EQ(ReadFileBytes(Module() / "vexa.xml"), Config("1.1.0"));
    EXPECT_FALSE(fs::exists(Module() / "backup"));
    EXPECT_FALSE(fs::exists(Module() / "tempDownload"));
    EXPECT_FALSE(fs::exists(Module() / "needupdate.txt"));
    EXPECT_EQ(Client(), "-onlymain: started\n");

    EXPECT_TRUE(Logged(L"备份文件 " + UpdaterPath(tree.Root() / "a.txt") + L" 成功"));
    EXPECT_FALSE(Logged(L"备份文件 " + UpdaterPath(tree.Root() / "fresh" / "c.txt") + L" 成功")) << "nothing to save";
    const std::wstring replaced = L"更新文件 " + UpdaterPath(VersionFolder() / "sub" / "b.txt") + L" 成功----<";
    const auto lines = Log();
    const auto line = std::find_if(lines.begin(), lines.end(), [&](const std::wstring& l) { return l.starts_with(replaced); });
    ASSERT_NE(line, lines.end());
    EXPECT_GE(std::stoi(line->substr(replaced.size())), 500) << "the wait after the copy is counted";

    EXPECT_TRUE(InTranscript(R"({"event":"dialog","dialog":102,"title":"自动更新","action":"open"})"));
    EXPECT_TRUE(InTranscript(R"({"event":"text","dialog":102,"control":1002,"text":"正在更新 /fresh/c.txt ..."})"));
    for (const int position : {33, 66, 100})
        EXPECT_TRUE(InTranscript(R"({"event":"bar","dialog":102,"control":1005,"pos":)" + std::to_string(position) + "}"))
            << position;
}

TEST_F(InstallTest, ThreeFailedCopiesRollEveryReplacedFileBack)
{
    // "keep.txt" is a file, so nothing can be copied to "keep.txt/x.dat".
    Downloaded({{"/a.txt", "new a"}, {"/keep.txt/x.dat", "x"}}, {{"/a.txt", "new a"}, {"/keep.txt/x.dat", "x"}});
    const std::string installedList = ReadFileBytes(Module() / "filelist.xml");

    EXPECT_EQ(Install(), 1);
    EXPECT_EQ(DifferingFiles(tree.Root(), kOld), "");
    EXPECT_EQ(ReadFileBytes(Module() / "filelist.xml"), installedList);
    EXPECT_EQ(ReadFileBytes(Module() / "vexa.xml"), Config("1.0.0"));
    EXPECT_FALSE(fs::exists(Module() / "backup"));
    const std::wstring source = UpdaterPath(VersionFolder() / "keep.txt" / "x.dat");
    for (const int attempt : {1, 2, 3})
        EXPECT_TRUE(Logged(L"第" + std::to_wstring(attempt) + L"次更新文件 " + source + L" 失败，code: " +
                           std::to_wstring(testing_support::kThroughAFile))) << attempt;
    EXPECT_TRUE(Logged(L"更新文件 " + source + L" 失败"));
    EXPECT_TRUE(Logged(L"开始回滚"));
    EXPECT_TRUE(Logged(L"安装更新文件失败"));
    EXPECT_FALSE(fs::exists(ClientLog()));
}

// The installed list cannot be rewritten (a folder holds its temporary's name): the
// configuration must still be the old one, or the next check would find no update
// for files that the installed list does not describe.
TEST_F(InstallTest, InstalledListThatCannotBeRewrittenLeavesTheOldConfiguration)
{
    Downloaded({{"/a.txt", "new a"}, {"/keep.txt", "same"}, {"/sub/b.txt", "old b"}}, {{"/a.txt", "new a"}});
    const std::string installedList = ReadFileBytes(Module() / "filelist.xml");
    fs::create_directory(Module() / ".filelist.xml.new");

    EXPECT_EQ(Install(), 1);
    EXPECT_TRUE(Logged(L"更新filelist.xml文件失败"));
    EXPECT_EQ(ReadFileBytes(Module() / "vexa.xml"), Config("1.0.0"));
    EXPECT_EQ(ReadFileBytes(Module() / "filelist.xml"), installedList);
}

TEST_F(InstallTest, FailedBackupRollsBackTheFilesAlreadyReplaced)
{
    // A file where the backup of "sub/b.txt" needs a folder.
    fs::create_directories(Module() / "backup");
    WriteFileBytes(Module() / "backup" / "sub", "in the way");
    const VersionFiles changed = {{"/a.txt", "new a"}, {"/fresh/c.txt", "new c"}, {"/sub/b.txt", "new b"}};
    Downloaded(changed, changed);

    EXPECT_EQ(Install(), 1);
    EXPECT_TRUE(Logged(L"备份文件 " + UpdaterPath(tree.Root() / "sub" / "b.txt") + L" 失败"));
    EXPECT_TRUE(Logged(L"开始回滚"));
    EXPECT_EQ(DifferingFiles(tree.Root(), kOld), "") << "no client of mixed versions";
    EXPECT_EQ(ReadFileBytes(tree.Root() / "fresh" / "c.txt"), "new c") << "a file new in the run stays";
    EXPECT_FALSE(fs::exists(ClientLog()));
}

TEST_F(InstallTest, ConfirmedCancelFinishesTheCurrentFileThenRollsBack)
{
    const VersionFiles changed = {{"/a.txt", "new a"}, {"/fresh/c.txt", "new c"}, {"/sub/b.txt", "new b"}};
    Downloaded(changed, changed);

    EXPECT_EQ(Install("press 1004 in 102 when 1005 >= 33\nyes\n"), 1);
    EXPECT_TRUE(InTranscript(R"({"event":"messagebox","title":"更新提示","text":"未安装退出会导致软件无法使用，是否确认退出!","style":4100,"answer":"yes","owner":0})"));
    EXPECT_TRUE(Logged(L"更新进程被终止"));
    EXPECT_TRUE(Logged(L"开始回滚"));
    EXPECT_EQ(DifferingFiles(tree.Root(), kOld), "");
    EXPECT_EQ(ReadFileBytes(Module() / "vexa.xml"), Config("1.0.0"));
}

TEST_F(InstallTest, UpdatersOwnFilesAreHandedToTheClient)
{
    const std::string probe = std::string("vexa-control-probe") + testing_support::kProgramSuffix;
    const VersionFiles own = {{"/vexa/libcurl.dll", "new curl"}, {"/vexa/" + probe, "new probe"}};
    Downloaded(own, own);

    ASSERT_EQ(Install(), 0);
    EXPECT_FALSE(InTranscript(R"({"event":"dialog","dialog":102,"title":"自动更新","action":"open"})"));
    EXPECT_EQ(ReadFileBytes(Module() / "vexa.xml"), Config("1.1.0"));
    // The client finishes the hand-over: the files replaced, the hand-over file and
    // the temporary folder gone.
    EXPECT_EQ(Client(), "-updatevexa: 1.1.0: libcurl.dll " + probe + "\n");
    EXPECT_EQ(DifferingFiles(tree.Root(), own), "");
    EXPECT_FALSE(fs::exists(Module() / "needupdate.txt"));
    EXPECT_FALSE(fs::exists(Module() / "tempDownload"));
}

}  // namespace
