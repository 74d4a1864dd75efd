// Two updaters at once: the second one must learn that the first runs, and a
// killed first one must not block later runs.
#include "tests/support/ChildProcess.h"
#include "tests/support/ClientTree.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

namespace {

using namespace std::chrono_literals;
using testing_support::ChildOptions;
using testing_support::ChildProcess;
using testing_support::ClientTree;
using testing_support::ReadFileBytes;
using testing_support::TempDir;

const std::string kProbe = TEST_BIN_DIR "/vexa-control-probe";
const std::string kAlreadyRunning = "\xE5\xB7\xB2\xE6\x9C\x89vexa.exe\xE8\xBF\x9B\xE7\xA8\x8B\xE5\x9C\xA8\xE8\xBF\x90\xE8\xA1\x8C";

class SingleInstance : public testing::Test {
protected:
    ChildOptions Options(std::vector<std::string> arguments) const
    {
        ChildOptions options;
        options.arguments = std::move(arguments);
        options.environment = {{"XDG_RUNTIME_DIR", runtime.Path().string()},
                               {"VEXA_UI", "script"},
                               {"VEXA_UI_LOG", (runtime.Path() / "ui.jsonl").string()}};
        return options;
    }

    // A check for a window that does not exist: a short job that always logs.
    void RunCheck()
    {
        ChildProcess vexa(tree.Program().string(), Options({"checkupdate", "no such window"}));
        ASSERT_TRUE(vexa.Wait(60s));
        EXPECT_EQ(vexa.ExitCode(), 0);
    }

    TempDir runtime;
    ClientTree tree{VEXA_BINARY};
};

TEST_F(SingleInstance, SecondUpdaterStopsAtOnceUntilTheKilledHolderIsGone)
{
    // The holder takes the updater's lock the way the updater does and keeps it.
    ChildProcess holder(kProbe, Options({"lock", "vexa_onlyone_handle"}));
    for (int i = 0; i < 1000 && holder.Stdout().empty() && holder.Running(); ++i)
        std::this_thread::sleep_for(10ms);
    ASSERT_EQ(holder.Stdout(), "held\n");

    RunCheck();
    EXPECT_NE(ReadFileBytes(runtime.Path() / "ui.jsonl").find(kAlreadyRunning), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(tree.ModuleFolder() / "log"));

    holder.Kill(SIGKILL);
    ASSERT_TRUE(holder.Wait());
    RunCheck();
    EXPECT_TRUE(std::filesystem::exists(tree.ModuleFolder() / "log" / "update.log"));
}

}  // namespace
