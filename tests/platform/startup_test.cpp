#include "platform/clock.h"
#include "platform/startup.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(StartupFaults, OnlyTheListedStepFails)
{
    unsetenv("VEXA_FAULT");
    EXPECT_TRUE(platform::GetModuleHandleOk());
    EXPECT_TRUE(platform::InitApplicationFramework());

    setenv("VEXA_FAULT", "framework_init", 1);
    EXPECT_TRUE(platform::GetModuleHandleOk());
    EXPECT_FALSE(platform::InitApplicationFramework());

    setenv("VEXA_FAULT", "other,module_handle", 1);
    EXPECT_FALSE(platform::GetModuleHandleOk());
    EXPECT_TRUE(platform::InitApplicationFramework());

    setenv("VEXA_FAULT", "module_handle_extra", 1);
    EXPECT_TRUE(platform::GetModuleHandleOk());
    unsetenv("VEXA_FAULT");
}

TEST(TickCount, AdvancesInMillisecondsAcrossASleep)
{
    const std::uint32_t before = platform::TickCount();
    platform::SleepMilliseconds(30);
    const std::uint32_t elapsed = platform::TickCount() - before;
    EXPECT_GE(elapsed, 30u);
    EXPECT_LT(elapsed, 10000u);
}

}  // namespace
