#include "platform/named_mutex.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

using testing_support::ChildOptions;
using testing_support::ChildProcess;
using testing_support::TempDir;

const std::string kProbe = TEST_BIN_DIR "/vexa-control-probe";

// Every test gets a runtime folder of its own, so no real lock is touched.
class NamedMutex : public testing::Test {
protected:
    void SetUp() override { setenv("XDG_RUNTIME_DIR", runtime_.Path().c_str(), 1); }

    ChildOptions ProbeLock() const
    {
        ChildOptions options;
        options.arguments = {"lock", "vexa_onlyone_handle"};
        options.environment = {{"XDG_RUNTIME_DIR", runtime_.Path().string()}};
        return options;
    }

    // Waits until the probe has said whether it got the lock.
    static std::string Answer(ChildProcess& probe)
    {
        for (int i = 0; i < 1000 && probe.Stdout().empty() && probe.Running(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return probe.Stdout();
    }

    TempDir runtime_;
};

TEST_F(NamedMutex, SecondHolderInTheSameProcessLearnsItExists)
{
    platform::CNamedMutex first(L"vexa_onlyone_handle");
    EXPECT_FALSE(first.AlreadyExists());
    {
        platform::CNamedMutex second(L"vexa_onlyone_handle");
        EXPECT_TRUE(second.AlreadyExists());
        platform::CNamedMutex other(L"another/name");
        EXPECT_FALSE(other.AlreadyExists());
    }
    first.Close();
    platform::CNamedMutex third(L"vexa_onlyone_handle");
    EXPECT_FALSE(third.AlreadyExists());
}

TEST_F(NamedMutex, OtherProcessesContendAndAKilledHolderFreesTheName)
{
    ChildProcess holder(kProbe, ProbeLock());
    ASSERT_EQ(Answer(holder), "held\n");

    ChildProcess second(kProbe, ProbeLock());
    ASSERT_TRUE(second.Wait());
    EXPECT_EQ(second.Stdout(), "exists\n");
    EXPECT_TRUE(platform::CNamedMutex(L"vexa_onlyone_handle").AlreadyExists());

    holder.Kill(SIGKILL);
    ASSERT_TRUE(holder.Wait());
    EXPECT_EQ(holder.TermSignal(), SIGKILL);

    ChildProcess third(kProbe, ProbeLock());
    EXPECT_EQ(Answer(third), "held\n");
}

TEST_F(NamedMutex, StartedProgramsDoNotInheritTheLock)
{
    platform::CNamedMutex mine(L"vexa_onlyone_handle");
    ASSERT_FALSE(mine.AlreadyExists());
    // A child started while we hold the lock must not keep it after we let go.
    ChildOptions sleepFiveSeconds;
    sleepFiveSeconds.arguments = {"5"};
    ChildProcess child("/bin/sleep", sleepFiveSeconds);
    // Until its exec the forked child shares our descriptors; only then does it count.
    const auto sleepProgram = std::filesystem::canonical("/bin/sleep");
    const auto childExe = "/proc/" + std::to_string(child.Pid()) + "/exe";
    std::error_code error;
    for (int i = 0; i < 1000 && std::filesystem::read_symlink(childExe, error) != sleepProgram; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    mine.Close();
    EXPECT_FALSE(platform::CNamedMutex(L"vexa_onlyone_handle").AlreadyExists());
}

}  // namespace
