#include "platform/testing/own_environment.h"
#include "platform/testing/special_files.h"
#include "platform/window_messages.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using namespace platform;

// Every test gets its own runtime folder so parallel test programs never see each
// other's windows where windows are endpoints in it (POSIX).
class WindowMessagesTest : public ::testing::Test {
protected:
    void SetUp() override { platform::testing::SetOwnVariable("XDG_RUNTIME_DIR", dir.Path().string()); }
    void TearDown() override { platform::testing::UnsetOwnVariable("XDG_RUNTIME_DIR"); }

    testing_support::TempDir dir;
};

TEST_F(WindowMessagesTest, PostedMessagesArriveInOrderWithTheirParameters)
{
    CMessageWindow window(L"我的游戏 My Game");
    ASSERT_TRUE(window.IsOpen());
    const auto found = FindWindowByTitle(L"我的游戏 My Game");
    ASSERT_TRUE(found.has_value());
    EXPECT_TRUE(PostWindowMessage(*found, {0x0409, 3, 0}));
    EXPECT_TRUE(PostWindowMessage(*found, {0x0400, 0xFFFFFFFFFFull, -5}));

    WindowMessage first, second;
    ASSERT_TRUE(window.WaitMessage(first, 1000));
    ASSERT_TRUE(window.WaitMessage(second, 1000));
    EXPECT_EQ(first.message, 0x0409u);
    EXPECT_EQ(first.wParam, 3u);
    EXPECT_EQ(first.lParam, 0);
    EXPECT_EQ(second.wParam, 0xFFFFFFFFFFull);
    EXPECT_EQ(second.lParam, -5);
    WindowMessage none;
    EXPECT_FALSE(window.WaitMessage(none, 10));
}

TEST_F(WindowMessagesTest, TitlesMatchExactly)
{
    CMessageWindow window(L"My Game");
    ASSERT_TRUE(window.IsOpen());
    // FindWindowW compares titles whatever their case; the endpoints elsewhere match exactly.
#ifdef _WIN32
    EXPECT_TRUE(FindWindowByTitle(L"my game").has_value());
#else
    EXPECT_FALSE(FindWindowByTitle(L"my game").has_value());
#endif
    EXPECT_FALSE(FindWindowByTitle(L"My Game ").has_value());
    EXPECT_FALSE(FindWindowByTitle(L"My").has_value());
}

TEST_F(WindowMessagesTest, ClosedWindowIsGoneAndItsTitleFreeAgain)
{
    std::optional<WindowHandle> handle;
    {
        CMessageWindow window(L"short lived");
        handle = FindWindowByTitle(L"short lived");
        ASSERT_TRUE(handle.has_value());
        CMessageWindow duplicate(L"short lived");
        EXPECT_FALSE(duplicate.IsOpen());
    }
    EXPECT_FALSE(FindWindowByTitle(L"short lived").has_value());
    EXPECT_FALSE(PostWindowMessage(*handle, {0x0409, 2, 0}));
    CMessageWindow again(L"short lived");
    EXPECT_TRUE(again.IsOpen());
}

TEST_F(WindowMessagesTest, EndpointLeftByADeadOwnerCountsAsAbsentAndIsReplaced)
{
#ifdef _WIN32
    GTEST_SKIP() << "a Windows window is no file: nothing of it outlives its process";
#endif
    std::string endpoint;
    {
        CMessageWindow window(L"crashed client");
        endpoint = FindWindowByTitle(L"crashed client")->endpoint;
    }
    // What a killed owner leaves behind: the socket file with nobody bound to it.
    ASSERT_TRUE(platform::testing::LeaveDeadEndpoint(endpoint));
    ASSERT_TRUE(std::filesystem::exists(endpoint));

    EXPECT_FALSE(FindWindowByTitle(L"crashed client").has_value());
    CMessageWindow restarted(L"crashed client");
    EXPECT_TRUE(restarted.IsOpen());
    EXPECT_TRUE(FindWindowByTitle(L"crashed client").has_value());
}

}  // namespace
