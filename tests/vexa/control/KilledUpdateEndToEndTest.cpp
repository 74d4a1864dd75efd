// The real updater killed with SIGKILL in the middle of an update, then run again:
// the next run must bring the tree to the new version.
#include "tests/vexa/control/UpdateModeFixture.h"

#include <csignal>
#include <iostream>
#include <cstdlib>
#include <tuple>

using namespace update_mode_testing;

namespace {

// The hand-over file as the updater writes it: CR CR LF line ends.
std::string HandOverFile(const std::string& version, const std::string& name)
{
    return version + "\r\r\n" + name + "\r\r\n";
}

// A run killed after it installed 1.1.0 but before it started the client: the
// new updater waits in the temporary folder, named by "needupdate.txt".
class PendingHandOverTest : public UpdateModeTest {
protected:
    void LeaveHandOverPending(const std::string& waiting)
    {
        Publish("1.1.0", newest);
        WriteVersionFiles(tree.Root(), {{"/a.txt", "new a"}});
        WriteVersionFiles(VersionDownload(), {{"/a.txt", "new a"}, {"/vexa/vexa", waiting}});
        fs::copy_file(VersionSite() / "vexa" / "filelist.xml", VersionDownload() / "vexa" / "filelist.xml");
        fs::copy_file(VersionSite() / "vexa" / "filelist.xml", tree.ModuleFolder() / "filelist.xml",
                      fs::copy_options::overwrite_existing);
        WriteFileBytes(tree.ModuleFolder() / "vexa.xml", Config("1.1.0", "1.1.0"));
        WriteFileBytes(tree.ModuleFolder() / "needupdate.txt", HandOverFile("1.1.0", "vexa"));
    }

    const std::string updater = ReadFileBytes(tree.Program()) + "\n1.1.0\n";
    const VersionFiles newest = {{"/a.txt", "new a"}, {"/keep.txt", "same"}, {"/vexa/vexa", updater}};
};

TEST_F(PendingHandOverTest, HandOverLeftPendingByAKilledRunIsFinishedByTheNextRun)
{
    LeaveHandOverPending(updater);
    EXPECT_EQ(RunUpdate(), 0);
    EXPECT_TRUE(Logged(L"当前版本是最新版本，不需要更新!"));
    EXPECT_EQ(Client(), "-updatevexa: 1.1.0: vexa\n");
    EXPECT_EQ(DifferingFiles(tree.Root(), newest), "");
    EXPECT_FALSE(fs::exists(tree.ModuleFolder() / "needupdate.txt"));
    EXPECT_FALSE(fs::exists(tree.ModuleFolder() / "tempDownload"));

    // Finished: the run after that starts the client normally.
    EXPECT_EQ(RunUpdate(), 0);
    EXPECT_EQ(Client(2), "-updatevexa: 1.1.0: vexa\n-onlymain: started\n");
}

// A power loss after "needupdate.txt" reached the disk but before the new updater
// did: the client must never be told to copy an empty file over the updater.
TEST_F(PendingHandOverTest, HandOverWhoseFileIsEmptyIsDroppedInsteadOfStarted)
{
    const std::string running = ReadFileBytes(tree.Program());
    LeaveHandOverPending("");
    EXPECT_EQ(RunUpdate(), 0);
    EXPECT_TRUE(LoggedInOrder({L"升级程序文件 " + Wide(VersionDownload() / "vexa" / "vexa") + L" 与文件列表不符",
                               L"放弃替换升级程序文件"}));
    EXPECT_EQ(Client(), "-onlymain: started\n");
    EXPECT_EQ(ReadFileBytes(tree.Program()), running);
    EXPECT_FALSE(fs::exists(tree.ModuleFolder() / "needupdate.txt"));
    EXPECT_FALSE(fs::exists(tree.ModuleFolder() / "tempDownload"));
    // The installed list no longer claims the new updater, so a later update brings it.
    const std::string installed = ReadFileBytes(tree.ModuleFolder() / "filelist.xml");
    EXPECT_EQ(installed.find("/vexa/vexa"), std::string::npos);
    EXPECT_NE(installed.find("/a.txt"), std::string::npos);
}

TEST_F(UpdateModeTest, ListLeftOutByARunKilledAfterTheConfigurationIsPutInPlaceByTheNextRun)
{
    const VersionFiles newest = {{"/a.txt", "new a"}, {"/keep.txt", "same"}};
    Publish("1.1.0", newest);
    WriteVersionFiles(tree.Root(), newest);
    WriteVersionFiles(VersionDownload(), {{"/a.txt", "new a"}});
    ASSERT_TRUE(
        WriteVersionList(VersionDownload(), {{"/a.txt", "new a"}}, tree.ModuleFolder() / "temp_downloadInfo.xml"));
    fs::create_directories(VersionDownload() / "vexa");
    fs::copy_file(VersionSite() / "vexa" / "filelist.xml", VersionDownload() / "vexa" / "filelist.xml");
    // The installed list without the file of the run, the new configuration in place.
    ASSERT_TRUE(WriteVersionList(tree.Root(), {{"/keep.txt", "same"}}, tree.ModuleFolder() / "filelist.xml"));
    WriteFileBytes(tree.ModuleFolder() / "vexa.xml", Config("1.1.0", "1.1.0"));

    EXPECT_EQ(RunUpdate(), 0);
    EXPECT_TRUE(Logged(L"当前版本是最新版本，不需要更新!"));
    EXPECT_EQ(ReadFileBytes(tree.ModuleFolder() / "filelist.xml"),
              ReadFileBytes(VersionSite() / "vexa" / "filelist.xml"));
    EXPECT_EQ(Client(), "-onlymain: started\n");
    EXPECT_FALSE(fs::exists(tree.ModuleFolder() / "tempDownload"));
    EXPECT_FALSE(fs::exists(tree.ModuleFolder() / "temp_downloadInfo.xml"));
}

TEST_F(UpdateModeTest, HandOverFileWithoutItsFilesIsNoPendingHandOver)
{
    server.Publish("MOXUpdate/MOX/vexa.xml", Config("1.0.0", "0.0.0"));
    WriteFileBytes(tree.ModuleFolder() / "needupdate.txt", HandOverFile("1.0.0", "vexa"));
    EXPECT_EQ(RunUpdate(), 0);
    EXPECT_EQ(Client(), "-onlymain: started\n");
    EXPECT_FALSE(fs::exists(tree.ModuleFolder() / "tempDownload"));
}

// A run killed while it copied leaves the copy's hidden temporary file beside the
// target (and in the backup, whose files the recovery moves back beside theirs).
TEST_F(UpdateModeTest, CopiesLeftHalfWayByAKilledRunAreDeletedAndNothingElse)
{
    const VersionFiles newest = {{"/a.txt", "new a"}, {"/data/n.pak", "new n"}, {"/keep.txt", "same"}};
    const VersionFiles changed = {{"/a.txt", "new a"}, {"/data/n.pak", "new n"}};
    Publish("1.1.0", newest);
    WriteVersionFiles(VersionDownload(), changed);
    ASSERT_TRUE(WriteVersionList(VersionDownload(), changed, tree.ModuleFolder() / "temp_downloadInfo.xml"));
    // Killed while installing "/data/n.pak": "/a.txt" replaced, its backup saved.
    WriteVersionFiles(tree.ModuleFolder() / "backup", {{"/a.txt", "old a"}, {"/.a.txt.copy-Bk0001", "old"}});
    WriteVersionFiles(tree.Root(), {{"/a.txt", "new a"}, {"/data/.n.pak.copy-x1Y2z3", "new"}});
    // And the fixed-name temporaries of the lists and the hand-over file, and the old
    // backup of an earlier run killed while deleting it.
    fs::create_directories(tree.ModuleFolder() / ".backup.deleting" / "data");
    const std::vector<fs::path> leftovers = {tree.Root() / ".a.txt.copy-Bk0001",
                                             tree.Root() / "data" / ".n.pak.copy-x1Y2z3",
                                             tree.ModuleFolder() / ".vexa.xml.copy-AAAAAA",
                                             tree.ModuleFolder() / ".filelist.xml.copy-000000",
                                             tree.ModuleFolder() / ".vexa.copy-q9Q9q9",
                                             tree.ModuleFolder() / ".filelist.xml.new",
                                             tree.ModuleFolder() / ".temp_downloadInfo.xml.new",
                                             tree.ModuleFolder() / ".needupdate.txt.new",
                                             tree.ModuleFolder() / ".backup.deleting" / "data" / "old.pak"};
    const std::vector<fs::path> others = {tree.Root() / ".keep.txt.copy-x1Y2z3", tree.Root() / ".a.txt.copy-x1Y2z",
                                          tree.Root() / "data" / ".n.pak.copy-x1Y2z3.txt",
                                          tree.ModuleFolder() / ".notes.copy-AAAAAA",
                                          tree.ModuleFolder() / ".notes.new", tree.Root() / ".filelist.xml.new"};
    for (const fs::path& path : leftovers)
        WriteFileBytes(path, "half a copy");
    for (const fs::path& path : others)
        WriteFileBytes(path, "the player's");

    EXPECT_EQ(RunUpdate(), 0);
    EXPECT_TRUE(Logged(L"发现未完成的安装,开始回滚"));
    EXPECT_EQ(DifferingFiles(tree.Root(), newest), "");
    EXPECT_EQ(Client(), "-onlymain: started\n");
    for (const fs::path& path : leftovers)
        EXPECT_FALSE(fs::exists(path)) << path;
    EXPECT_FALSE(fs::exists(tree.ModuleFolder() / ".backup.deleting"));
    for (const fs::path& path : others)
        EXPECT_EQ(ReadFileBytes(path), "the player's") << path;
}

// A backup file whose place in the tree is taken (here by a file where its folder
// was) cannot go back: it is logged and kept, and nothing is installed over it until
// a later run has brought it back.
TEST_F(UpdateModeTest, BackupThatCannotGoBackIsKeptUntilALaterRunRestoresIt)
{
    const VersionFiles newest = {{"/a.txt", "new a"}, {"/keep.txt", "same"}};
    Publish("1.1.0", newest);
    WriteVersionFiles(tree.ModuleFolder() / "backup", {{"/sub/b.txt", "old b"}});
    WriteFileBytes(tree.Root() / "sub", "in the way");

    EXPECT_EQ(RunUpdate(), 0);
    EXPECT_TRUE(LoggedInOrder({L"发现未完成的安装,开始回滚",
                               L"无法恢复备份文件 " + Wide(tree.ModuleFolder() / "backup" / "sub" / "b.txt")}));
    EXPECT_EQ(Client(), "-onlymain: started\n");
    EXPECT_EQ(ReadFileBytes(tree.ModuleFolder() / "backup" / "sub" / "b.txt"), "old b");
    EXPECT_EQ(DifferingFiles(tree.Root(), kOld), "");
    EXPECT_EQ(ReadFileBytes(tree.ModuleFolder() / "vexa.xml"), Config("1.0.0", "0.0.0"));

    fs::remove(tree.Root() / "sub");
    EXPECT_EQ(RunUpdate(), 0);
    EXPECT_EQ(ReadFileBytes(tree.Root() / "sub" / "b.txt"), "old b");
    EXPECT_EQ(DifferingFiles(tree.Root(), newest), "");
    EXPECT_FALSE(fs::exists(tree.ModuleFolder() / "backup"));
}

}  // namespace

// A forced update of a dozen files, with or without a new updater, killed with
// SIGKILL after a given time, then run again to its end: the tree must then be the
// new version by digest, the new updater in place once the client finished the
// hand-over.
class KilledUpdateTest : public UpdateModeTest, public ::testing::WithParamInterface<std::tuple<int, bool>> {
protected:
    void KillAfterThenRerun(int milliseconds, bool withUpdater)
    {
        VersionFiles older;
        VersionFiles newest;
        for (int i = 0; i < 12; ++i) {
            const std::string name = "/data/" + std::to_string(i % 3) + "/f" + std::to_string(i) + ".pak";
            older[name] = "old " + std::to_string(i);
            newest[name] = i < 10 ? "new " + std::to_string(i) + std::string(4096, 'x') : older[name];
        }
        newest["/data/added.pak"] = "added";
        if (withUpdater)
            newest["/vexa/vexa"] = ReadFileBytes(tree.Program()) + "\n1.1.0\n";
        WriteVersionFiles(tree.Root(), older);
        ASSERT_TRUE(WriteVersionList(tree.Root(), older, tree.ModuleFolder() / "filelist.xml"));
        Publish("1.1.0", newest);

        WriteFileBytes(scratch.Path() / "ui.script", "");
        ChildProcess killed(tree.Program().string(), UpdateOptions("killed.jsonl"));
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        killed.Kill(SIGKILL);
        killed.Wait();

        const std::string moment = "killed after " + std::to_string(milliseconds) + " ms";
        EXPECT_EQ(RunUpdate(), 0) << moment;
        EXPECT_TRUE(ClientReported(withUpdater ? "-updatevexa: 1.1.0: vexa" : "-onlymain: started"))
            << moment << "\n" << ReadFileBytes(ClientLog());
        std::this_thread::sleep_for(200ms);
        EXPECT_EQ(DifferingFiles(tree.Root(), newest), "") << moment;
        EXPECT_EQ(ReadFileBytes(tree.ModuleFolder() / "vexa.xml"), Config("1.1.0", "1.1.0")) << moment;
        EXPECT_EQ(ReadFileBytes(tree.ModuleFolder() / "filelist.xml"),
                  ReadFileBytes(VersionSite() / "vexa" / "filelist.xml"))
            << moment;
        for (const char* gone : {"backup", "needupdate.txt", "tempDownload"})
            EXPECT_FALSE(fs::exists(tree.ModuleFolder() / gone)) << gone << ", " << moment;
        for (const auto& entry : fs::recursive_directory_iterator(tree.Root()))
            EXPECT_EQ(entry.path().filename().string().find(".copy-"), std::string::npos)
                << entry.path() << ", " << moment;
        if (HasFailure())
            ShowWhatHappened();
    }

    void ShowWhatHappened() const
    {
        std::cerr << "update.log:\n";
        for (const std::wstring& line : Log())
            std::cerr << "  " << platform::Utf8FromWide(line) << "\n";
        std::cerr << "client:\n" << ReadFileBytes(ClientLog()) << "dialogs of the rerun:\n" << Transcript();
        std::cerr << "module folder:\n";
        for (const auto& entry : fs::recursive_directory_iterator(tree.ModuleFolder()))
            std::cerr << "  " << entry.path().lexically_relative(tree.ModuleFolder()).string() << "\n";
    }
};

// Spread over the check, the download, the installation and the list replacement.
INSTANTIATE_TEST_SUITE_P(Moments, KilledUpdateTest,
                         ::testing::Combine(::testing::Values(300, 1200, 2500, 4000, 5500, 7000), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<int, bool>>& info) {
                             return "After" + std::to_string(std::get<0>(info.param)) + "ms" +
                                    (std::get<1>(info.param) ? "WithNewUpdater" : "");
                         });

TEST_P(KilledUpdateTest, NextRunReachesTheNewVersion)
{
    KillAfterThenRerun(std::get<0>(GetParam()), std::get<1>(GetParam()));
}

// bench/crash_points.sh runs this at random moments: VEXA_CRASH_KILL_MS names one,
// VEXA_CRASH_WITH_UPDATER=1 puts a new updater into the update.
TEST_F(KilledUpdateTest, KilledAtTheMomentFromTheEnvironment)
{
    const char* moment = std::getenv("VEXA_CRASH_KILL_MS");
    if (!moment)
        GTEST_SKIP() << "VEXA_CRASH_KILL_MS is not set";
    const char* withUpdater = std::getenv("VEXA_CRASH_WITH_UPDATER");
    KillAfterThenRerun(std::atoi(moment), withUpdater && std::string(withUpdater) == "1");
}
