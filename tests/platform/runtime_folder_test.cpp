// The per-user runtime folder: only a private folder of this user is ever used, since
// another local user who controls it could plant links, hold locks or bind endpoints.
#include "platform/named_mutex.h"
#include "platform/runtime_folder.h"
#include "platform/window_messages.h"

#include "platform/testing/own_environment.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using testing_support::kSymbolicLinks;
using testing_support::TempDir;
using testing_support::WidePath;

// Modes and owners are what Windows' access lists are to other users, and its runtime
// folder comes from the system, not from the environment.
#ifdef _WIN32
constexpr bool kPosixFolders = false;
#else
constexpr bool kPosixFolders = true;
#endif

class RuntimeFolderTest : public testing::Test {
protected:
    void SetUp() override { platform::testing::SetOwnVariable("XDG_RUNTIME_DIR", runtime.Path().string()); }
    void TearDown() override { platform::testing::UnsetOwnVariable("XDG_RUNTIME_DIR"); }

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
        if (!kPosixFolders)
            break;
        fs::permissions(open, mode);
        const auto [ok, problem] = Check(open);
        EXPECT_FALSE(ok) << static_cast<int>(mode);
        EXPECT_NE(problem.find(L"has mode"), std::wstring::npos) << problem;
    }

    const fs::path target = runtime.Path() / "target";
    fs::create_directory(target);
    fs::permissions(target, fs::perms::owner_all);
    if (kSymbolicLinks)
        fs::create_directory_symlink(target, runtime.Path() / "link");
    for (const auto& link : {runtime.Path() / "link", runtime.Path() / "link/"}) {
        if (!kSymbolicLinks)
            break;
        const auto [ok, problem] = Check(link);
        EXPECT_FALSE(ok);
        EXPECT_NE(problem.find(L"is a link"), std::wstring::npos) << problem;
    }

    std::ofstream(runtime.Path() / "file.txt") << "not a folder";
    const auto [isFolder, problem] = Check(runtime.Path() / "file.txt");
    EXPECT_FALSE(isFolder);
    EXPECT_NE(problem.find(L"is not a folder"), std::wstring::npos) << problem;
}

TEST_F(RuntimeFolderTest, AMissingFolderIsMadePrivateOnlyWhenAskedTo)
{
    const fs::path missing = runtime.Path() / "missing";
    EXPECT_FALSE(Check(missing).first);
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_TRUE(Check(missing, true).first);
    EXPECT_TRUE(fs::is_directory(missing));
    if (kPosixFolders) {
        EXPECT_EQ(fs::status(missing).permissions(), fs::perms::owner_all);
    }
}

TEST_F(RuntimeFolderTest, TheEnvironmentFolderIsUsedOnlyWhenPrivate)
{
    const auto chosen = platform::RuntimeFolder();
    ASSERT_TRUE(chosen.has_value());
    std::wstring problem;
    EXPECT_TRUE(platform::IsPrivateFolder(*chosen, false, problem)) << problem;
    if (!kPosixFolders)
        GTEST_SKIP() << "Windows' runtime folder is in the user's local application data";
    EXPECT_EQ(*chosen, WidePath(runtime.Path()) + L"/");

    // Not ours to trust any more: anyone may now write into it.
    fs::permissions(runtime.Path(), fs::perms::all);
    const auto fallback = platform::RuntimeFolder();
    EXPECT_FALSE(fallback && *fallback == WidePath(runtime.Path()) + L"/");

    // A missing folder is never taken as one where the lock could be held.
    platform::testing::SetOwnVariable("XDG_RUNTIME_DIR", (runtime.Path() / "gone").string());
    const auto instead = platform::RuntimeFolder();
    EXPECT_FALSE(instead && instead->find(L"/gone") != std::wstring::npos);
}

TEST_F(RuntimeFolderTest, APlantedLinkAsLockFileIsAnErrorAndCreatesNothing)
{
    if (!kPosixFolders)
        GTEST_SKIP() << "Windows' named mutexes are no files";
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
    if (!kPosixFolders)
        GTEST_SKIP() << "Windows' windows are no endpoints in a folder";
    const std::wstring title = L"runtime folder test " + std::to_wstring(::testing::UnitTest::GetInstance()->random_seed());
    platform::CMessageWindow window(title);
    ASSERT_TRUE(window.IsOpen());
    ASSERT_TRUE(platform::FindWindowByTitle(title).has_value());

    fs::permissions(runtime.Path(), fs::perms::all);
    const auto found = platform::FindWindowByTitle(title);
    EXPECT_FALSE(found && found->endpoint.rfind(runtime.Path().string(), 0) == 0);
    fs::permissions(runtime.Path(), fs::perms::owner_all);
}

}  // namespace
