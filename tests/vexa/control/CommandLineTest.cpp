#include "vexa/control/CommandLine.h"

#include <gtest/gtest.h>

namespace {

TEST(NormalizeArgument, DashesBecomeSpacesAndTheEndsAreTrimmed)
{
    EXPECT_EQ(NormalizeArgument(L"-update"), L"update");
    EXPECT_EQ(NormalizeArgument(L"--update"), L"update");
    EXPECT_EQ(NormalizeArgument(L" update\t"), L"update");
    EXPECT_EQ(NormalizeArgument(L"My-Game"), L"My Game");
    EXPECT_EQ(NormalizeArgument(L"--"), L"");
    EXPECT_EQ(NormalizeArgument(L"我的-游戏 "), L"我的 游戏");
}

TEST(ParseModeArguments, OnlyTheFirstArgumentSelectsTheMode)
{
    std::wstring name = L"untouched";
    EXPECT_EQ(ParseModeArguments({}, name), RUN_NOTHING);
    EXPECT_EQ(ParseModeArguments({L"UPDATE"}, name), RUN_UPDATE);
    EXPECT_EQ(ParseModeArguments({L"-update", L"checkupdate", L"x"}, name), RUN_UPDATE);
    EXPECT_EQ(ParseModeArguments({L"foo", L"update"}, name), RUN_NOTHING);
    EXPECT_EQ(ParseModeArguments({L"-onlymain"}, name), RUN_NOTHING);
    EXPECT_EQ(name, L"untouched");

    EXPECT_EQ(ParseModeArguments({L"CheckUpdate", L"My-Game", L"ignored"}, name), RUN_CHECK);
    EXPECT_EQ(name, L"My Game");
    std::wstring empty;
    EXPECT_EQ(ParseModeArguments({L"checkupdate"}, empty), RUN_CHECK);
    EXPECT_EQ(empty, L"");
}

TEST(ReadToolSwitches, SwitchesCountAnywhereAndAreNeverCleared)
{
    const ToolSwitches all = ReadToolSwitches({L"update", L"-G", L"--f", L"q", L"S", L"g"});
    EXPECT_TRUE(all.generate && all.force && all.quiet && all.skipOwnFolder);

    const ToolSwitches some = ReadToolSwitches({L"-g", L"update", L"-fq", L"gs"});
    EXPECT_TRUE(some.generate);
    EXPECT_FALSE(some.force || some.quiet || some.skipOwnFolder);

    EXPECT_FALSE(ReadToolSwitches({L"update", L"go"}).generate);
}

TEST(ReadToolSwitches, TheTreeIsTheLastArgumentTakenAsTyped)
{
    EXPECT_EQ(ReadToolSwitches({L"-g", L"-s", L"/srv/mox-1.1 new/"}).tree, L"/srv/mox-1.1 new/");
    EXPECT_EQ(ReadToolSwitches({L"build", L"-g"}).tree, L"");
    EXPECT_EQ(ReadToolSwitches({L"-g", L"UPDATE"}).tree, L"");
    EXPECT_EQ(ReadToolSwitches({L"-g", L"Q"}).tree, L"");
    EXPECT_EQ(ReadToolSwitches({L"-g", L"--fq"}).tree, L"");
}

}  // namespace
