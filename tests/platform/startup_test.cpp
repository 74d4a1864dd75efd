#include "platform/clock.h"
#include "platform/startup.h"
#include "platform/testing/own_environment.h"

#include <gtest/gtest.h>

namespace {

TEST(StartupFaults, OnlyTheListedStepFails)
{
    using platform::testing::SetOwnVariable;
    platform::testing::UnsetOwnVariable("VEXA_FAULT");
    EXPECT_TRUE(platform::GetModuleHandleOk());
    EXPECT_TRUE(platform::InitApplicationFramework());

    SetOwnVariable("VEXA_FAULT", "framework_init");
    EXPECT_TRUE(platform::GetModuleHandleOk());
    EXPECT_FALSE(platform::InitApplicationFramework());

    SetOwnVariable("VEXA_FAULT", "other,module_handle");
    EXPECT_FALSE(platform::GetModuleHandleOk());
    EXPECT_TRUE(platform::InitApplicationFramework());

    SetOwnVariable("VEXA_FAULT", "module_handle_extra");
    EXPECT_TRUE(platform::GetModuleHandleOk());
    platform::testing::UnsetOwnVariable("VEXA_FAULT");
}

TEST(TickCount, AdvancesInMillisecondsAcrossASleep)
{
    // Windows' tick count moves in steps of its timer, up to about 16 ms.
#ifdef _WIN32
    constexpr std::uint32_t kStep = 16;
#else
    constexpr std::uint32_t kStep = 0;
#endif
    const std::uint32_t before = platform::TickCount();
    platform::SleepMilliseconds(30);
    const std::uint32_t elapsed = platform::TickCount() - before;
    EXPECT_GE(elapsed + kStep, 30u);
    EXPECT_LT(elapsed, 10000u);
}

}  // namespace
