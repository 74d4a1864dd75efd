// The real updater killed with SIGKILL in the middle of an update, then run again:
// the next run must bring the tree to the new version.
#include "tests/vexa/control/UpdateModeFixture.h"

#include <csignal>
#include <cstdlib>

using namespace update_mode_testing;

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
