// The per-user runtime folder: only a private folder of this user is ever used, since
// another local user who controls it could plant links, hold locks or bind endpoints.
#include "platform/named_mutex.h"
#include "platform/runtime_folder.h"
#include "platform/window_messages.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing_support::ChildOptions;
using testing_support::ChildProcess;
using testing_support::TempDir;
using testing_support::WidePath;

const std::string kProbe = TEST_BIN_DIR "/vexa-control-probe";

bool RunCommand(const std::string& program, std::vector<std::string> arguments)
{
    ChildOptions options;
    options.arguments = std::move(arguments);
    ChildProcess child(program, options);
    return child.Wait() && child.ExitCode() == 0;
}

class RuntimeFolderTest : public testing::Test {
protected:
    void SetUp() override { setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1); }
    void TearDown() override { unsetenv("XDG_RUNTIME_DIR"); }

    // Whether the folder passes the check, and why not.
    static std::pair<bool, std::wstring> Check(const fs::path& folder, bool create = false)
    {
        std::wstring problem;
        const bool ok = platform::IsPrivateFolder(WidePath(folder), create, problem);
        return {ok, problem};
    }

    TempDir runtime;
};

TEST_F(RuntimeFolderTest, OnlyARealPrivateFolderOfThisUserPasses)
{
    EXPECT_TRUE(Check(runtime.Path()).first);
    EXPECT_TRUE(Check(runtime.Path() / "").first);

    const fs::path open = runtime.Path() / "open";
    fs::create_directory(open);
    for (const auto mode : {fs::perms(0755), fs::perms(0750), fs::perms(0707), fs::perms(0500)}) {
        fs::permissions(open, mode);
        const auto [ok, problem] = Check(open);
        EXPECT_FALSE(ok) << static_cast<int>(mode);
        EXPECT_NE(problem.find(L"has mode"), std::wstring::npos) << problem;
    }

    const fs::path target = runtime.Path() / "target";
    fs::create_directory(target);
    fs::permissions(target, fs::perms::owner_all);
    fs::create_directory_symlink(target, runtime.Path() / "link");
    for (const auto& link : {runtime.Path() / "link", runtime.Path() / "link/"}) {
        const auto [ok, problem] = Check(link);
        EXPECT_FALSE(ok);
        EXPECT_NE(problem.find(L"is a link"), std::wstring::npos) << problem;
    }

    std::ofstream(runtime.Path() / "file.txt") << "not a folder";
    const auto [isFolder, problem] = Check(runtime.Path() / "file.txt");
    EXPECT_FALSE(isFolder);
    EXPECT_NE(problem.find(L"is not a folder"), std::wstring::npos) << problem;
}

TEST_F(RuntimeFolderTest, AFolderOfAnotherUserIsRefused)
{
    const fs::path theirs = runtime.Path() / "theirs";
    fs::create_directory(theirs);
    fs::permissions(theirs, fs::perms::owner_all);
    if (!RunCommand("/bin/chown", {"65534:65534", theirs.string()}))
        GTEST_SKIP() << "cannot give a folder to another user here";
    const auto [ok, problem] = Check(theirs);
    EXPECT_FALSE(ok);
    EXPECT_NE(problem.find(L"belongs to user 65534"), std::wstring::npos) << problem;
}

TEST_F(RuntimeFolderTest, AMissingFolderIsMadePrivateOnlyWhenAskedTo)
{
    const fs::path missing = runtime.Path() / "missing";
    EXPECT_FALSE(Check(missing).first);
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_TRUE(Check(missing, true).first);
    EXPECT_EQ(fs::status(missing).permissions(), fs::perms::owner_all);
}

TEST_F(RuntimeFolderTest, TheEnvironmentFolderIsUsedOnlyWhenPrivate)
{
    const auto chosen = platform::RuntimeFolder();
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, WidePath(runtime.Path()) + L"/");

    // Not ours to trust any more: anyone may now write into it.
    fs::permissions(runtime.Path(), fs::perms::all);
    const auto fallback = platform::RuntimeFolder();
    EXPECT_FALSE(fallback && *fallback == WidePath(runtime.Path()) + L"/");

    // A missing folder is never taken as one where the lock could be held.
    setenv("XDG_RUNTIME_DIR", (runtime.Path() / "gone").c_str(), 1);
    const auto instead = platform::RuntimeFolder();
    EXPECT_FALSE(instead && instead->find(L"/gone") != std::wstring::npos);
}

TEST_F(RuntimeFolderTest, APlantedLinkAsLockFileIsAnErrorAndCreatesNothing)
{
    const fs::path victim = runtime.Path() / "victim";
    fs::create_symlink(victim, runtime.Path() / "vexa_onlyone_handle.lock");
    platform::CNamedMutex lock(L"vexa_onlyone_handle");
    EXPECT_FALSE(lock.AlreadyExists());
    EXPECT_NE(lock.Error(), L"");
    EXPECT_FALSE(fs::exists(victim));

    platform::CNamedMutex other(L"another");
    EXPECT_EQ(other.Error(), L"");
}

TEST_F(RuntimeFolderTest, WindowsInAFolderOthersCanWriteAreNotFound)
{
    const std::wstring title = L"runtime folder test " + std::to_wstring(::testing::UnitTest::GetInstance()->random_seed());
    platform::CMessageWindow window(title);
    ASSERT_TRUE(window.IsOpen());
    ASSERT_TRUE(platform::FindWindowByTitle(title).has_value());

    fs::permissions(runtime.Path(), fs::perms::all);
    const auto found = platform::FindWindowByTitle(title);
    EXPECT_FALSE(found && found->endpoint.rfind(runtime.Path().string(), 0) == 0);
    fs::permissions(runtime.Path(), fs::perms::owner_all);
}

// The fallback /tmp/vexa-<uid>/ is checked through a private /tmp, so that nothing in the
// machine's real /tmp is touched: the sandbox folder is mounted over /tmp for one probe.
// The probe runs from a copy inside the sandbox, since a build under /tmp is hidden there.
class FallbackFolderTest : public testing::Test {
protected:
    void SetUp() override
    {
        fs::permissions(sandbox.Path(), fs::perms::all | fs::perms::sticky_bit);
        fs::create_directory(sandbox.Path() / "probe");
        fs::copy_file(kProbe, sandbox.Path() / "probe" / "vexa-control-probe");
        if (!RunCommand("/usr/bin/unshare", {"--mount", "--propagation", "private", "sh", "-c",
                                             "mount --bind \"$1\" /tmp", "sh", sandbox.Path().string()}))
            GTEST_SKIP() << "no private mount namespace here";
    }

    // Runs the lock probe without XDG_RUNTIME_DIR, as the other user when asked, and returns
    // its first line.
    std::string ProbeLock(bool asOtherUser)
    {
        std::vector<std::string> command = {"--mount", "--propagation", "private", "sh", "-c",
                                            "mount --bind \"$1\" /tmp && shift && exec \"$@\"", "sh",
                                            sandbox.Path().string()};
        if (asOtherUser)
            command.insert(command.end(), {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
        command.insert(command.end(), {"env", "-u", "XDG_RUNTIME_DIR", "/tmp/probe/vexa-control-probe", "lock",
                                        "vexa_onlyone_handle"});
        ChildOptions options;
        options.arguments = command;
        ChildProcess probe("/usr/bin/unshare", options);
        for (int i = 0; i < 1000 && probe.Stdout().find('\n') == std::string::npos && probe.Running(); ++i)
            std::this_thread::sleep_for(10ms);
        const std::string output = probe.Stdout();
        return output.substr(0, output.find('\n'));
    }

    bool HaveOtherUser() const { return fs::exists("/usr/bin/setpriv"); }

    TempDir sandbox;
};

TEST_F(FallbackFolderTest, MadePrivateWhenMissing)
{
    if (!HaveOtherUser())
        GTEST_SKIP() << "no setpriv";
    EXPECT_EQ(ProbeLock(true), "held");
    EXPECT_EQ(fs::symlink_status(sandbox.Path() / "vexa-65534").type(), fs::file_type::directory);
    EXPECT_EQ(fs::status(sandbox.Path() / "vexa-65534").permissions(), fs::perms::owner_all);
}

TEST_F(FallbackFolderTest, MadeByAnotherUserIsNeverUsed)
{
    if (!HaveOtherUser())
        GTEST_SKIP() << "no setpriv";
    // Made first by root, open to everyone: the other user must not take it.
    fs::create_directory(sandbox.Path() / "vexa-65534");
    fs::permissions(sandbox.Path() / "vexa-65534", fs::perms::all);
    const std::string answer = ProbeLock(true);
    EXPECT_EQ(answer.rfind("error: /tmp/vexa-65534: belongs to user 0", 0), 0u) << answer;
    EXPECT_TRUE(fs::is_empty(sandbox.Path() / "vexa-65534"));
}

TEST_F(FallbackFolderTest, ALinkOrAWrongModeIsNeverUsed)
{
    const fs::path target = sandbox.Path() / "target";
    fs::create_directory(target);
    fs::permissions(target, fs::perms::owner_all);
    const std::string mine = "vexa-" + std::to_string(getuid());
    fs::create_directory_symlink(target, sandbox.Path() / mine);
    EXPECT_EQ(ProbeLock(false), "error: /tmp/" + mine + ": is a link");
    EXPECT_TRUE(fs::is_empty(target));

    fs::remove(sandbox.Path() / mine);
    fs::create_directory(sandbox.Path() / mine);
    fs::permissions(sandbox.Path() / mine, fs::perms(0755));
    EXPECT_EQ(ProbeLock(false), "error: /tmp/" + mine + ": has mode 0755, not 0700");
    EXPECT_TRUE(fs::is_empty(sandbox.Path() / mine));
}

}  // namespace
