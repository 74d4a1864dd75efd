#include "platform/named_mutex.h"
#include "platform/testing/own_environment.h"
#include "platform/text.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

namespace {

using testing_support::ChildOptions;
using testing_support::ChildProcess;
using testing_support::TempDir;

const std::string kProbe = TEST_BIN_DIR "/vexa-control-probe";

// A name of the test's own: on Windows the system's mutexes are shared by every
// program of the session, parallel tests included.
std::wstring UniqueName(const char* use)
{
    return L"vexa_onlyone_handle-" + platform::WideFromUtf8(use) + L"-" + std::to_wstring(std::random_device{}());
}

// Every test gets a runtime folder of its own, so no real lock is touched where the
// names live in it (POSIX).
class NamedMutex : public testing::Test {
protected:
    void SetUp() override { platform::testing::SetOwnVariable("XDG_RUNTIME_DIR", runtime_.Path().string()); }

    static ChildOptions ProbeLock(const std::wstring& name)
    {
        ChildOptions options;
        options.arguments = {"lock", platform::Utf8FromWide(name)};
        return options;
    }

    // Waits until the probe has said whether it got the lock; its word without the line's
    // end (which is "\r\n" on Windows).
    static std::string Answer(ChildProcess& probe)
    {
        for (int i = 0; i < 1000 && probe.Stdout().find('\n') == std::string::npos && probe.Running(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return Word(probe.Stdout());
    }

    static std::string Word(const std::string& line) { return line.substr(0, line.find_first_of("\r\n")); }

    const std::wstring name_ = UniqueName("mutex");
    TempDir runtime_;
};

TEST_F(NamedMutex, SecondHolderInTheSameProcessLearnsItExists)
{
    platform::CNamedMutex first(name_);
    EXPECT_FALSE(first.AlreadyExists());
    {
        platform::CNamedMutex second(name_);
        EXPECT_TRUE(second.AlreadyExists());
        platform::CNamedMutex other(name_ + L"/other");
        EXPECT_FALSE(other.AlreadyExists());
    }
    first.Close();
    platform::CNamedMutex third(name_);
    EXPECT_FALSE(third.AlreadyExists());
}

TEST_F(NamedMutex, OtherProcessesContendAndAKilledHolderFreesTheName)
{
    ChildProcess holder(kProbe, ProbeLock(name_));
    ASSERT_EQ(Answer(holder), "held");

    ChildProcess second(kProbe, ProbeLock(name_));
    ASSERT_TRUE(second.Wait());
    EXPECT_EQ(Word(second.Stdout()), "exists");
    EXPECT_TRUE(platform::CNamedMutex(name_).AlreadyExists());

    holder.Kill();
    ASSERT_TRUE(holder.Wait());

    ChildProcess third(kProbe, ProbeLock(name_));
    EXPECT_EQ(Answer(third), "held");
}

TEST_F(NamedMutex, StartedProgramsDoNotInheritTheLock)
{
    platform::CNamedMutex mine(name_);
    ASSERT_FALSE(mine.AlreadyExists());
    // A child started while we hold the lock must not keep it after we let go: one that
    // has said it holds a lock of its own is surely running.
    ChildProcess child(kProbe, ProbeLock(UniqueName("child")));
    ASSERT_EQ(Answer(child), "held");
    mine.Close();
    EXPECT_FALSE(platform::CNamedMutex(name_).AlreadyExists());
    child.Kill();
}

}  // namespace
