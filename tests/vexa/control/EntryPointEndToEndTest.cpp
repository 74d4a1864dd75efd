// Start-up of the real updater: what it does before and instead of a job.
#include "platform/testing/foreign_named_object.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ClientTree.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestProgram.h"
#include "tests/support/UpdateLogText.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace {

using namespace std::chrono_literals;
using testing_support::ChildOptions;
using testing_support::ChildProcess;
using testing_support::ClientTree;
using testing_support::kLineEnd;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;
using ::testing::Contains;

const std::string kSampleClient = testing_support::TestProgram("mox-sample-client");

class EntryPointTest : public ::testing::Test {
protected:
    // The sample client records how it was started.
    void SetUp() override { std::filesystem::copy_file(kSampleClient, tree.Root() / "mox.exe"); }

    int RunVexa(std::vector<std::string> arguments, const std::string& fault = "")
    {
        ChildOptions options;
        options.arguments = std::move(arguments);
        options.environment = {{"XDG_RUNTIME_DIR", runtime.Path().string()},
                               {"VEXA_UI", "script"},
                               {"VEXA_UI_LOG", Transcript().string()},
                               {"MOX_SAMPLE_CLIENT_LOG", ClientLog().string()},
                               {"VEXA_FAULT", fault}};
        ChildProcess vexa(tree.Program().string(), options);
        EXPECT_TRUE(vexa.Wait(60s));
        return vexa.ExitCode();
    }

    // The detached client needs a moment to write its line.
    std::string ClientStart() const
    {
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (!std::filesystem::exists(ClientLog()) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        std::this_thread::sleep_for(50ms);
        return ReadFileBytes(ClientLog());
    }

    std::vector<std::wstring> LogMessages() const
    {
        return testing_support::LogMessages(tree.ModuleFolder() / "log" / "update.log");
    }
    std::filesystem::path Transcript() const { return runtime.Path() / "ui.jsonl"; }
    std::filesystem::path ClientLog() const { return runtime.Path() / "client.log"; }

    TempDir runtime;
    ClientTree tree{VEXA_BINARY};
};

TEST_F(EntryPointTest, ArgumentsThatSelectNoJobDoNothingAndWriteNoLog)
{
    EXPECT_EQ(RunVexa({}), 0);
    EXPECT_EQ(RunVexa({"-onlymain"}), 0);
    EXPECT_EQ(RunVexa({"foo", "update"}), 0);
    EXPECT_FALSE(std::filesystem::exists(tree.ModuleFolder() / "log"));
    EXPECT_FALSE(std::filesystem::exists(Transcript()));
    EXPECT_FALSE(std::filesystem::exists(ClientLog()));
}

TEST_F(EntryPointTest, FailedStartUpStepsTellTheUserAndStartTheClient)
{
    const std::string box =
        "{\"event\":\"messagebox\",\"title\":\"提示\",\"text\":\"升级程序运行出错\",\"style\":4096,\"answer\":\"ok\",\"owner\":0}\n";
    EXPECT_EQ(RunVexa({"update"}, "module_handle"), 1);
    EXPECT_EQ(ClientStart(), "-onlymain: started\n");
    EXPECT_EQ(ReadFileBytes(Transcript()), box);
    std::filesystem::remove(ClientLog());

    EXPECT_EQ(RunVexa({"checkupdate", "x"}, "framework_init"), 1);
    EXPECT_EQ(ClientStart(), "-onlymain: started\n");
    EXPECT_EQ(ReadFileBytes(Transcript()), box + box);

    EXPECT_THAT(LogMessages(), Contains(L"错误: GetModuleHandle 失败!"));
    EXPECT_THAT(LogMessages(), Contains(L"错误: MFC 初始化失败!"));
}

TEST_F(EntryPointTest, ALockThatCannotBeOpenedFailsTheStartInsteadOfCountingAsHeld)
{
    // Another user's trap: the lock file is a link to a file of their choice; on
    // Windows, where the mutex is no file, its name is taken by an object of another kind.
    const auto victim = runtime.Path() / "victim";
#ifdef _WIN32
    const platform::testing::CForeignNamedObject trap(L"vexa_onlyone_handle");
    ASSERT_TRUE(trap.Held());
#else
    std::filesystem::create_symlink(victim, runtime.Path() / "vexa_onlyone_handle.lock");
#endif

    EXPECT_EQ(RunVexa({"checkupdate", "x"}), 1);
    EXPECT_FALSE(std::filesystem::exists(victim));
    EXPECT_EQ(ClientStart(), "-onlymain: started\n");
    EXPECT_NE(ReadFileBytes(Transcript()).find("升级程序运行出错"), std::string::npos);
    EXPECT_THAT(LogMessages(), Contains(::testing::StartsWith(L"错误: 单实例锁无法打开: ")));
}

TEST_F(EntryPointTest, ToolSwitchAnywhereRunsTheFileListToolInsteadOfAJob)
{
    WriteFileBytes(tree.Root() / "data.bin", "abc");
    EXPECT_EQ(RunVexa({"update", "-G", "--q"}), 0);
    const std::string list = ReadFileBytes(tree.ModuleFolder() / "filelist.xml");
    EXPECT_NE(list.find("data.bin"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(ClientLog()));
}

TEST_F(EntryPointTest, HelpAndVersionPrintAndTouchNothing)
{
    const auto files = [this] {
        std::vector<std::filesystem::path> found;
        for (const auto& folder : {tree.Root(), runtime.Path()})
            for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
                found.push_back(entry.path());
        std::sort(found.begin(), found.end());
        return found;
    };
    const auto before = files();
    for (const std::string argument : {"--help", "--version"}) {
        ChildOptions options;
        // The tool switch after it is not run.
        options.arguments = {argument, "-g"};
        options.environment = {{"XDG_RUNTIME_DIR", runtime.Path().string()}};
        ChildProcess vexa(tree.Program().string(), options);
        ASSERT_TRUE(vexa.Wait(60s));
        EXPECT_EQ(vexa.ExitCode(), 0);
        if (argument == "--help")
            EXPECT_THAT(vexa.Stdout(), testing::StartsWith("Usage: vexa update" + kLineEnd));
        else
            EXPECT_EQ(vexa.Stdout(), "vexa " VEXA_VERSION + kLineEnd);
    }
    EXPECT_EQ(files(), before);

    // Anywhere but first they are words like any other.
    EXPECT_EQ(RunVexa({"-q", "--help", "-g"}), 0);
    EXPECT_TRUE(std::filesystem::exists(tree.ModuleFolder() / "filelist.xml"));
}

}  // namespace
