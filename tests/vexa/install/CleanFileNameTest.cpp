#include "vexa/install/CleanFileName.h"

#include <gtest/gtest.h>

namespace {

TEST(CleanFileNameTest, AcceptsNamesThatStayBelowTheFolder)
{
    for (const wchar_t* name : {L"/mox.exe", L"/data/地图/一.pak", L"/..hidden/a", L"/a../b", L"/a/.b", L"/a b/c"})
        EXPECT_TRUE(IsCleanFileName(name)) << name;
}

TEST(CleanFileNameTest, RejectsNamesThatCouldLeaveOrAliasIt)
{
    for (const wchar_t* name : {L"", L"/", L"mox.exe", L"/../mox.exe", L"/a/../../b", L"/a/..", L"/./a", L"//a",
                                L"/a//b", L"/a/", L"/a\\..\\b", L"/a\tb", L"/a\x7f", L"/a\x85"})
        EXPECT_FALSE(IsCleanFileName(name)) << name;
}

}  // namespace
