// OpenInRootFolder through the probe in a client tree: what it starts and what it refuses.
#include "platform/text.h"
#include "tests/support/ClientTree.h"
#include "tests/support/TestProgram.h"
#include "tests/support/UpdateLogText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

namespace {

using namespace std::chrono_literals;
using testing_support::ClientTree;
using testing_support::LogMessages;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

const std::string kProbe = testing_support::TestProgram("vexa-control-probe");

// A program that writes its first argument into <working folder>/<marker>. The
// marker appears whole, through a rename, so a reader never sees it empty.
void WriteStarter(const std::filesystem::path& path, const std::string& marker)
{
    std::filesystem::create_directories(path.parent_path());
    WriteFileBytes(path, "#!/bin/sh\necho \"$1\" > " + marker + ".part && mv " + marker + ".part " + marker + "\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

std::string WaitForFile(const std::filesystem::path& path)
{
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!std::filesystem::exists(path) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    return ReadFileBytes(path);
}

bool Logged(const ClientTree& tree, const std::wstring& message)
{
    const auto messages = LogMessages(tree.ModuleFolder() / "log" / "update.log");
    return std::find(messages.begin(), messages.end(), message) != messages.end();
}

TEST(OpenInRootFolder, BackslashesSeparateFoldersAndTheRootIsTheWorkingFolder)
{
    ClientTree tree(kProbe);
    WriteStarter(tree.Root() / "bin" / "mox", "started");
    ASSERT_EQ(tree.Run({"open", "bin\\mox", "-onlymain"}), 0);
    EXPECT_EQ(WaitForFile(tree.Root() / "started"), "-onlymain\n");
}

TEST(OpenInRootFolder, NamesOutsideTheRootStartNothingAndAreLogged)
{
    ClientTree tree(kProbe);
    const auto outside = tree.Root().parent_path() / "outside";
    WriteStarter(outside, "escaped");
    const std::string absolute = outside.string();
    for (const std::string& name : {std::string("../outside"), std::string("bin/../../outside"),
                                    std::string("..\\outside"), absolute}) {
        ASSERT_EQ(tree.Run({"open", name, "-onlymain"}), 0);
        EXPECT_TRUE(Logged(tree, L"启动程序不在客户端目录内,不予启动: " + platform::WideFromUtf8(name))) << name;
    }
    // A name that climbs and comes back stays inside and starts; by the time it
    // has, any earlier start would have too.
    WriteStarter(tree.Root() / "mox", "started");
    std::filesystem::create_directories(tree.Root() / "bin");
    ASSERT_EQ(tree.Run({"open", "bin/../mox", "x"}), 0);
    EXPECT_EQ(WaitForFile(tree.Root() / "started"), "x\n");
    EXPECT_FALSE(std::filesystem::exists(tree.Root() / "escaped"));
    EXPECT_FALSE(std::filesystem::exists(tree.Root().parent_path() / "escaped"));
}

TEST(OpenInRootFolder, AFailedStartIsLoggedWithTheReason)
{
    ClientTree tree(kProbe);
    WriteFileBytes(tree.Root() / "readme.txt", "a document, not a program");
    ASSERT_EQ(tree.Run({"open", "readme.txt", "-onlymain"}), 0);
    ASSERT_EQ(tree.Run({"open", "absent", "-onlymain"}), 0);
    const std::wstring root = platform::WideFromUtf8(tree.Root().string());
    EXPECT_TRUE(Logged(tree, L"启动程序 " + root + L"/readme.txt 失败: Permission denied"));
    EXPECT_TRUE(Logged(tree, L"启动程序 " + root + L"/absent 失败: No such file or directory"));
}

}  // namespace
