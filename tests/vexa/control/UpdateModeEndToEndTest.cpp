// The real updater's update mode in a client tree against nginx, the sample client
// as the game client ("mox.exe") and the script UI answering.
#include "tests/support/VexaSign.h"
#include "tests/vexa/control/UpdateModeFixture.h"

#include <cstdlib>
#include <memory>
#include <sstream>

namespace {

using namespace update_mode_testing;
using testing_support::RunVexaSign;

TEST_F(UpdateModeTest, ForcedUpdateInstallsChangedFilesAndHandsTheUpdaterToTheClient)
{
    // The new client and updater: the same programs with other digests.
    const std::string updater = ReadFileBytes(tree.Program()) + "\n1.1.0\n";
    // Names that end or change a URL unless encoded.
    const VersionFiles newest = {{"/a.txt", "new a"},
                                 {"/my file.txt", "space"},
                                 {"/a#b.txt", "hash"},
                                 {"/100%.txt", "percent"},
                                 {"/q?x.txt", "question"},
                                 {"/data/n.pak", "new n"},
                                 {"/tools/run.sh", "#!/bin/sh\nexit 0\n"},
                                 {"/keep.txt", "same"},
                                 {"/mox.exe", ReadFileBytes(kSampleClient) + "\n1.1.0\n"},
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
    // No delta manifest is published: its 404 is no failure and logs nothing.
    for (const std::wstring& line : Log())
        EXPECT_EQ(line.find(L"deltas.xml"), std::wstring::npos) << platform::Utf8FromWide(line);
    EXPECT_TRUE(InTranscript(R"({"event":"dialog","dialog":109,"action":"end","result":0})"));
    EXPECT_EQ(ReadFileBytes(scratch.Path() / "ui.jsonl").find("messagebox"), std::string::npos) << "no question";
    // A new program can run; a new data file stays what it was downloaded as.
    EXPECT_NE(fs::status(tree.Root() / "tools" / "run.sh").permissions() & fs::perms::owner_exec, fs::perms::none);
    EXPECT_EQ(fs::status(tree.Root() / "data" / "n.pak").permissions() & fs::perms::owner_exec, fs::perms::none);

    // Both new programs kept the permissions of those they replaced: they run.
    EXPECT_EQ(RunUpdate(), 0);
    EXPECT_EQ(Client(2), "-updatevexa: 1.1.0: vexa\n-onlymain: started\n");
}

// Signed files that name no place of their own are refused before anything is
// installed: a configuration with an empty version, and the genuine 1.2.0
// configuration with 1.1.0's signed list at the 1.2.0 URL (the signature names where
// the list was published, so it is refused like a tampered one).
TEST_F(UpdateModeTest, SignedEmptyVersionOrListOfAnotherVersionIsRefusedAndNothingIsInstalled)
{
    const TempDir publisher;
    RunVexaSign({"keygen", publisher.Path().string()});
    fs::copy_file(publisher.Path() / "update.pub", tree.ModuleFolder() / "update.pub");
    const std::string key = (publisher.Path() / "update.key").string();
    Publish("1.1.0", {{"/a.txt", "new a"}, {"/keep.txt", "same"}});
    server.Publish("MOXUpdate/MOX/vexa.xml", Config("", "1.1.0"));
    RunVexaSign({"sign", key, (server.SiteRoot() / "MOXUpdate" / "MOX" / "vexa.xml").string()});
    EXPECT_EQ(RunUpdate(), 0);
    EXPECT_TRUE(Logged(L"版本信息有误,新版本版本号: , 当前版本号: 1.0.0"));
    EXPECT_EQ(Client(), "-onlymain: started\n");

    RunVexaSign({"sign", key, (VersionSite() / "vexa" / "filelist.xml").string()});
    fs::copy(VersionSite(), VersionSite().parent_path() / "1.2.0", fs::copy_options::recursive);
    server.Publish("MOXUpdate/MOX/vexa.xml", Config("1.2.0", "1.2.0"));
    RunVexaSign({"sign", key, (server.SiteRoot() / "MOXUpdate" / "MOX" / "vexa.xml").string()});

    EXPECT_EQ(RunUpdate(), 0);
    const fs::path list = tree.ModuleFolder() / "tempDownload" / "1.2.0" / "vexa" / "filelist.xml";
    EXPECT_TRUE(LoggedInOrder({L"检测到有更新需要强制升级", L"文件 " + Wide(list) + L" 的签名验证失败",
                               L"下载filelist.xml文件失败"}));
    EXPECT_TRUE(InTranscript(R"({"event":"messagebox","title":"下载提示","text":"下载升级文件失败","style":4096,"answer":"ok","owner":0})"));
    EXPECT_EQ(DifferingFiles(tree.Root(), kOld), "");
    EXPECT_EQ(ReadFileBytes(tree.ModuleFolder() / "vexa.xml"), Config("1.0.0", "0.0.0"));
    EXPECT_FALSE(fs::exists(tree.ModuleFolder() / "tempDownload" / "1.2.0" / "a.txt"));
    EXPECT_EQ(Client(2), "-onlymain: started\n-onlymain: started\n");
}

// Self-update entries are matched ignoring case, and the file system tells cases apart:
// whatever case the list writes, the new updater is handed over as the updater's file.
TEST_F(UpdateModeTest, SelfUpdateEntryInOtherLetterCaseReplacesTheUpdatersOwnFile)
{
    const std::string updater = ReadFileBytes(tree.Program()) + "\n1.1.0\n";
    Publish("1.1.0", {{"/a.txt", "new a"}, {"/keep.txt", "same"}, {"/VEXA/VEXA", updater}});

    EXPECT_EQ(RunUpdate(), 0);
    EXPECT_EQ(Client(), "-updatevexa: 1.1.0: vexa\n");
    EXPECT_EQ(ReadFileBytes(tree.Program()), updater);
    EXPECT_EQ(ReadFileBytes(tree.Root() / "a.txt"), "new a");
    EXPECT_FALSE(fs::exists(tree.Root() / "VEXA"));
    const fs::path stored = VersionDownload() / tree.ModuleFolder().filename() / tree.Program().filename();
    EXPECT_TRUE(Logged(L"文件 " + Wide(stored) + L" 下载成功"));
    EXPECT_FALSE(fs::exists(tree.ModuleFolder() / "needupdate.txt"));
    EXPECT_FALSE(fs::exists(tree.ModuleFolder() / "tempDownload"));
    EXPECT_EQ(ReadFileBytes(tree.ModuleFolder() / "filelist.xml"),
              ReadFileBytes(VersionSite() / "vexa" / "filelist.xml"));
}

TEST_F(UpdateModeTest, DeclinedOptionalUpdateStartsTheInstalledClientAndKeepsTheDownloadFolder)
{
    Publish("1.0.0", {{"/a.txt", "new a"}, {"/keep.txt", "same"}});
    EXPECT_EQ(RunUpdate("no\n"), 0);
    EXPECT_TRUE(InTranscript(R"({"event":"messagebox","title":"更新提示","text":"检测到有可用更新，是否立即下载并安装!","style":4100,"answer":"no","owner":0})"));
    EXPECT_EQ(Client(), "-onlymain: started\n");
    EXPECT_TRUE(Logged(L"可选更新未被接受(应答 7)，启动已安装的版本"));
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

// The disk fills up while the set is downloaded: the partial file is deleted.
TEST_F(UpdateModeTest, DownloadThatFillsTheDiskLeavesNoPartialFile)
{
    Publish("1.1.0", {{"/a.txt", "new a"}, {"/big.pak", std::string(1024 * 1024, 'b')}, {"/keep.txt", "same"}});
    const auto left = RunUpdateOnSmallDisk(256);
    if (!left)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    EXPECT_NE(left->find("./1.1.0/a.txt\n"), std::string::npos) << *left;
    EXPECT_EQ(left->find("big.pak"), std::string::npos) << *left;
    EXPECT_TRUE(Logged(L"filelist形式更新时，下载文件失败"));
    EXPECT_EQ(DifferingFiles(tree.Root(), kOld), "");
    EXPECT_EQ(Client(), "-onlymain: started\n");
}

// A private folder on another file system than the tree's where the machine has one
// (/dev/shm), so that no rename reaches it from the tree; else beside the tree.
std::unique_ptr<TempDir> FolderOnAnotherFileSystem()
{
    const char* const previous = std::getenv("TMPDIR");
    const std::string kept = previous ? previous : "";
    if (fs::is_directory("/dev/shm"))
        setenv("TMPDIR", "/dev/shm", 1);
    auto folder = std::make_unique<TempDir>();
    if (previous)
        setenv("TMPDIR", kept.c_str(), 1);
    else
        unsetenv("TMPDIR");
    return folder;
}

// Client folders that are links, to a folder of the same file system and to one of
// another, and a client file that is itself a link: a failed installation must bring
// every old file back through the links, and the link file as the link.
TEST_F(UpdateModeTest, RollbackRestoresFilesThroughLinkedFoldersAndLinksAsLinks)
{
    const TempDir elsewhere;
    const auto otherDisk = FolderOnAnotherFileSystem();
    fs::create_directory_symlink(elsewhere.Path(), tree.Root() / "data");
    fs::create_directory_symlink(otherDisk->Path(), tree.Root() / "shm");
    fs::create_symlink("keep.txt", tree.Root() / "alias.txt");
    VersionFiles older = kOld;
    older.insert({{"/alias.txt", "same"}, {"/data/map.txt", "old map"}, {"/shm/big.pak", "old pak"}, {"/zz.txt", "z"}});
    WriteVersionFiles(tree.Root(), {{"/data/map.txt", "old map"}, {"/shm/big.pak", "old pak"}, {"/zz.txt", "z"}});
    ASSERT_TRUE(WriteVersionList(tree.Root(), older, tree.ModuleFolder() / "filelist.xml"));
    // The last file cannot be installed: "zz.txt" is a file, not a folder.
    Publish("1.1.0", {{"/a.txt", "new a"},
                      {"/alias.txt", "new alias"},
                      {"/data/map.txt", "new map"},
                      {"/keep.txt", "same"},
                      {"/shm/big.pak", "new pak"},
                      {"/zz.txt/x.dat", "x"}});

    EXPECT_EQ(RunUpdate(), 0);
    EXPECT_TRUE(LoggedInOrder({L"备份文件 " + Wide(tree.Root() / "shm" / "big.pak") + L" 成功", L"开始回滚",
                               L"filelist形式更新时，安装失败"}));
    EXPECT_EQ(DifferingFiles(tree.Root(), older), "");
    EXPECT_TRUE(fs::is_symlink(tree.Root() / "alias.txt"));
    EXPECT_EQ(fs::read_symlink(tree.Root() / "alias.txt"), "keep.txt");
    EXPECT_TRUE(fs::is_symlink(tree.Root() / "data"));
    EXPECT_TRUE(fs::is_symlink(tree.Root() / "shm"));
    EXPECT_FALSE(fs::exists(tree.ModuleFolder() / "backup"));
    EXPECT_EQ(Client(), "-onlymain: started\n");
}

// An installed version of four files, so that an installation can be caught after its first.
VersionFiles InstallFourFiles(const ClientTree& tree)
{
    VersionFiles older = kOld;
    older["/sub/b.txt"] = "old b";
    older["/z.txt"] = "old z";
    WriteVersionFiles(tree.Root(), older);
    EXPECT_TRUE(WriteVersionList(tree.Root(), older, tree.ModuleFolder() / "filelist.xml"));
    return older;
}

TEST_F(UpdateModeTest, CancelDuringTheInstallationRestoresEveryReplacedFileAndStartsTheOldClient)
{
    const VersionFiles older = InstallFourFiles(tree);
    const std::string installedList = ReadFileBytes(tree.ModuleFolder() / "filelist.xml");
    Publish("1.1.0", {{"/a.txt", "new a"}, {"/fresh/c.txt", "new c"}, {"/keep.txt", "same"}, {"/sub/b.txt", "new b"},
                      {"/z.txt", "new z"}});

    EXPECT_EQ(RunUpdate("press 1004 in 102 when 1005 >= 25\nyes\n"), 0);
    EXPECT_TRUE(InTranscriptInOrder(
        {R"({"event":"dialog","dialog":102,"title":"自动更新","action":"open"})",
         R"({"event":"text","dialog":102,"control":1002,"text":"正在更新 /a.txt ..."})",
         R"({"event":"bar","dialog":102,"control":1005,"pos":25})", R"({"event":"press","dialog":102,"control":1004})",
         R"({"event":"messagebox","title":"更新提示","text":"未安装退出会导致软件无法使用，是否确认退出!","style":4100,"answer":"yes","owner":0})",
         R"({"event":"dialog","dialog":102,"action":"end","result":0})",
         R"({"event":"messagebox","title":"更新提示","text":"安装更新失败","style":4096,"answer":"ok","owner":0})"}));
    EXPECT_TRUE(LoggedInOrder({L"检测到有更新需要强制升级", L"备份文件 " + Wide(tree.Root() / "a.txt") + L" 成功",
                               L"更新进程被终止", L"开始回滚", L"安装更新文件失败", L"filelist形式更新时，安装失败"}));
    EXPECT_EQ(DifferingFiles(tree.Root(), older), "");
    EXPECT_EQ(ReadFileBytes(tree.ModuleFolder() / "filelist.xml"), installedList);
    EXPECT_EQ(ReadFileBytes(tree.ModuleFolder() / "vexa.xml"), Config("1.0.0", "0.0.0"));
    for (const char* gone : {"backup", "tempDownload", "temp_downloadInfo.xml", "needupdate.txt"})
        EXPECT_FALSE(fs::exists(tree.ModuleFolder() / gone)) << gone;
    EXPECT_EQ(Client(), "-onlymain: started\n");
}

// A run of another session (its own runtime folder, so its own instance lock) on the
// same tree comes while the first run holds a replaced file in its backup: it must
// give way as a second instance does, not take the backup for a killed run's.
TEST_F(UpdateModeTest, RunOfAnotherSessionOnTheSameTreeGivesWayToTheInstallation)
{
    const VersionFiles older = InstallFourFiles(tree);
    const VersionFiles newest = {{"/a.txt", "new a"}, {"/keep.txt", "same"}, {"/sub/b.txt", "new b"}, {"/z.txt", "new z"}};
    Publish("1.1.0", newest);
    // The first run stops after its first file: the cancel question stays open.
    WriteFileBytes(scratch.Path() / "ui.script", "press 1004 in 102 when 1005 >= 25\nno after 5000\n");
    ChildProcess first(tree.Program().string(), UpdateOptions());
    for (int i = 0; i < 6000 && !fs::exists(tree.ModuleFolder() / "backup" / "a.txt") && first.Running(); ++i)
        std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(fs::exists(tree.ModuleFolder() / "backup" / "a.txt"));

    const TempDir otherSession;
    WriteFileBytes(scratch.Path() / "none.script", "");
    ChildOptions second = UpdateOptions("second.jsonl");
    second.environment.emplace_back("XDG_RUNTIME_DIR", otherSession.Path().string());
    second.environment.emplace_back("VEXA_UI_SCRIPT", (scratch.Path() / "none.script").string());
    ChildProcess secondRun(tree.Program().string(), second);
    ASSERT_TRUE(secondRun.Wait(60s));
    EXPECT_EQ(secondRun.ExitCode(), 0);
    EXPECT_NE(ReadFileBytes(scratch.Path() / "second.jsonl").find("已有vexa.exe进程在运行"), std::string::npos);

    ASSERT_TRUE(first.Wait(120s));
    EXPECT_EQ(Client(), "-onlymain: started\n");
    EXPECT_EQ(DifferingFiles(tree.Root(), newest), "");
    EXPECT_EQ(ReadFileBytes(tree.ModuleFolder() / "vexa.xml"), Config("1.1.0", "1.1.0"));
    EXPECT_EQ(ReadFileBytes(tree.ModuleFolder() / "filelist.xml"),
              ReadFileBytes(VersionSite() / "vexa" / "filelist.xml"));
    EXPECT_FALSE(fs::exists(tree.ModuleFolder() / "backup"));
}

// A shell script that reports its start and ends before its padding, which makes it
// large enough to be caught on its way from the throttled server.
std::string InstallerScript()
{
    return "#!/bin/sh\necho installer >> \"$MOX_SAMPLE_CLIENT_LOG\"\nexit 0\n" + std::string(1024 * 1024, '#') + "\n";
}

class InstallerMethodTest : public UpdateModeTest {
protected:
    InstallerMethodTest()
    {
        Publish("1.1.0", {}, "Installer");
        WriteFileBytes(VersionSite() / "MOXInstaller.exe", installer);
    }

    fs::path Local() const { return VersionDownload() / "MOXInstaller.exe"; }
    std::string InstallerRequests() const
    {
        std::istringstream log(server.AccessLog());
        std::string line, requests;
        while (std::getline(log, line))
            if (line.find("MOXInstaller.exe ") != std::string::npos)
                requests += line + "\n";
        return requests;
    }

    const std::string installer = InstallerScript();
};

TEST_F(InstallerMethodTest, CancelledDownloadIsResumedByTheNextRunWhichStartsTheInstallerOnce)
{
    EXPECT_EQ(RunUpdate("press 1004 in 101 when 1003 >= 40\nyes\n"), 0);
    EXPECT_TRUE(InTranscriptInOrder(
        {R"({"event":"dialog","dialog":101,"title":"下载文件","action":"open"})",
         R"({"event":"press","dialog":101,"control":1004})",
         R"({"event":"messagebox","title":"下载提示","text":"是否终止下载更新","style":4100,"answer":"yes","owner":101})",
         R"({"event":"messagebox","title":"下载提示","text":"已取消下载","style":4096,"answer":"ok","owner":0})",
         R"({"event":"messagebox","title":"下载提示","text":"安装包下载失败","style":4096,"answer":"ok","owner":0})"}));
    EXPECT_TRUE(LoggedInOrder({L"检测到有更新需要强制升级", L"安装包下载失败"}));
    EXPECT_EQ(Client(), "-onlymain: started\n");
    const std::size_t kept = fs::file_size(Local());
    EXPECT_GE(kept, installer.size() * 4 / 10);
    EXPECT_LT(kept, installer.size());

    EXPECT_EQ(RunUpdate(), 0);
    EXPECT_EQ(Client(2), "-onlymain: started\ninstaller\n");
    EXPECT_EQ(ReadFileBytes(Local()), installer);
    EXPECT_EQ(InstallerRequests(), "GET /MOXUpdate/MOX/1.1.0/MOXInstaller.exe HTTP/1.1 200 range=-\n"
                                   "GET /MOXUpdate/MOX/1.1.0/MOXInstaller.exe HTTP/1.1 206 range=bytes=" +
                                       std::to_string(kept) + "-\n");
    EXPECT_EQ(ReadFileBytes(tree.ModuleFolder() / "vexa.xml"), Config("1.0.0", "0.0.0")) << "left to the installer";
}

// The installer of the first run is quit before it updates anything: the next run
// finds the whole installer on disk, which the server cannot resume.
TEST_F(InstallerMethodTest, InstallerLeftWholeByAnEarlierRunIsFetchedAgainAndStarted)
{
    EXPECT_EQ(RunUpdate(), 0);
    EXPECT_EQ(Client(), "installer\n");
    EXPECT_EQ(RunUpdate(), 0);
    EXPECT_EQ(Client(2), "installer\ninstaller\n");
    EXPECT_EQ(ReadFileBytes(Local()), installer);
    EXPECT_EQ(InstallerRequests(), "GET /MOXUpdate/MOX/1.1.0/MOXInstaller.exe HTTP/1.1 200 range=-\n"
                                   "GET /MOXUpdate/MOX/1.1.0/MOXInstaller.exe HTTP/1.1 416 range=bytes=" +
                                       std::to_string(installer.size()) +
                                       "-\n"
                                       "GET /MOXUpdate/MOX/1.1.0/MOXInstaller.exe HTTP/1.1 200 range=-\n");
    EXPECT_FALSE(Logged(L"安装包下载失败"));
}

// The disk fills up during the download: the partial installer is deleted, so the
// next run has room to check for updates again.
TEST_F(InstallerMethodTest, InstallerThatFillsTheDiskIsDeleted)
{
    const auto left = RunUpdateOnSmallDisk(256);
    if (!left)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    EXPECT_EQ(*left, "./vexa.xml\n");
    EXPECT_TRUE(Logged(L"安装包下载失败"));
    EXPECT_EQ(Client(), "-onlymain: started\n");
}

TEST_F(InstallerMethodTest, UnsignedInstallerIsNeverStartedUnderSignedPublishing)
{
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
