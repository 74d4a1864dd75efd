// The per-user runtime folder where it is a POSIX folder: one of another user, and the
// fallback /tmp/vexa-<uid>/ when the environment names none. Linux only: users, modes
// and mount namespaces.
#include "platform/runtime_folder.h"
#include "platform/testing/own_user.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
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

TEST(RuntimeFolderOfAnotherUser, IsRefused)
{
    TempDir runtime;
    const fs::path theirs = runtime.Path() / "theirs";
    fs::create_directory(theirs);
    fs::permissions(theirs, fs::perms::owner_all);
    if (!RunCommand("/bin/chown", {"65534:65534", theirs.string()}))
        GTEST_SKIP() << "cannot give a folder to another user here";
    std::wstring problem;
    EXPECT_FALSE(platform::IsPrivateFolder(WidePath(theirs), false, problem));
    EXPECT_NE(problem.find(L"belongs to user 65534"), std::wstring::npos) << problem;
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
    const std::string mine = "vexa-" + std::to_string(platform::testing::OwnUserId());
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
