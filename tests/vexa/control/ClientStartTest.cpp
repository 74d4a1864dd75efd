// OpenInRootFolder through the probe in a client tree: what it starts and what it refuses.
#include "platform/text.h"
#include "tests/support/ClientTree.h"
#include "tests/support/SystemErrors.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestProgram.h"
#include "tests/support/UpdateLogText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using testing_support::ClientTree;
using testing_support::kProgramSuffix;
using testing_support::LogMessages;
using testing_support::ReadFileBytes;
using testing_support::UpdaterPath;
using testing_support::WriteFileBytes;

const std::string kProbe = testing_support::TestProgram("vexa-control-probe");

// The program to start: a copy of the probe, which, given "report <marker> <arg>",
// writes its working folder and <arg> into <marker> there, whole, through a rename.
std::string WriteStarter(const std::filesystem::path& folder, const std::string& name)
{
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(kProbe, folder / (name + kProgramSuffix));
    return name + kProgramSuffix;
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

// The failed start of path, logged with one of the system's words for why.
bool LoggedFailure(const ClientTree& tree, const std::wstring& path, const std::vector<std::wstring>& reasons)
{
    return std::any_of(reasons.begin(), reasons.end(), [&](const std::wstring& reason) {
        return Logged(tree, L"启动程序 " + path + L" 失败: " + reason);
    });
}

TEST(OpenInRootFolder, BackslashesSeparateFoldersAndTheRootIsTheWorkingFolder)
{
    ClientTree tree(kProbe);
    const std::string name = WriteStarter(tree.Root() / "bin", "mox");
    ASSERT_EQ(tree.Run({"open", "bin\\" + name, "report started -onlymain"}), 0);
    EXPECT_EQ(WaitForFile(tree.Root() / "started"), tree.Root().string() + "\n[-onlymain]\n");
}

TEST(OpenInRootFolder, NamesOutsideTheRootStartNothingAndAreLogged)
{
    ClientTree tree(kProbe);
    const std::string outside = WriteStarter(tree.Root().parent_path(), "outside");
    const std::string absolute = (tree.Root().parent_path() / outside).string();
    for (const std::string& name : {"../" + outside, "bin/../../" + outside, "..\\" + outside, absolute}) {
        ASSERT_EQ(tree.Run({"open", name, "report escaped"}), 0);
        EXPECT_TRUE(Logged(tree, L"启动程序不在客户端目录内,不予启动: " + platform::WideFromUtf8(name))) << name;
    }
    // A name that climbs and comes back stays inside and starts; by the time it
    // has, any earlier start would have too.
    const std::string inside = WriteStarter(tree.Root(), "mox");
    std::filesystem::create_directories(tree.Root() / "bin");
    ASSERT_EQ(tree.Run({"open", "bin/../" + inside, "report started x"}), 0);
    EXPECT_EQ(WaitForFile(tree.Root() / "started"), tree.Root().string() + "\n[x]\n");
    EXPECT_FALSE(std::filesystem::exists(tree.Root() / "escaped"));
    EXPECT_FALSE(std::filesystem::exists(tree.Root().parent_path() / "escaped"));
}

TEST(OpenInRootFolder, AFailedStartIsLoggedWithTheReason)
{
    ClientTree tree(kProbe);
    WriteFileBytes(tree.Root() / "readme.txt", "a document, not a program");
    ASSERT_EQ(tree.Run({"open", "readme.txt", "-onlymain"}), 0);
    ASSERT_EQ(tree.Run({"open", "absent", "-onlymain"}), 0);
    const std::wstring root = UpdaterPath(tree.Root());
    EXPECT_TRUE(LoggedFailure(tree, root + L"/readme.txt", testing_support::kNoProgramWords));
    EXPECT_TRUE(LoggedFailure(tree, root + L"/absent", testing_support::kNotFoundWords));
}

}  // namespace
