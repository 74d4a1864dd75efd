#include "vexa/install/SelfUpdateEntry.h"

#include "platform/text.h"
#include "tests/support/TestProgram.h"

#include <gtest/gtest.h>

namespace {

// This test program stands for the running updater: its own name is one of the names.
const std::wstring kOwnName = L"vexa_install_tests" + platform::WideFromUtf8(testing_support::kProgramSuffix);

TEST(SelfUpdateEntryTest, UpdatersOwnFilesInAnyLetterCaseGetTheirOwnNames)
{
    EXPECT_EQ(SelfUpdateName(L"/vexa/vexa.exe"), L"vexa.exe");
    EXPECT_EQ(SelfUpdateName(L"/VEXA/Vexa.EXE"), L"vexa.exe");
    EXPECT_EQ(SelfUpdateName(L"/Vexa/LIBCURL.dll"), L"libcurl.dll");
    const std::wstring shouted = L"/VEXA/VEXA_INSTALL_TESTS" + platform::WideFromUtf8(testing_support::kProgramSuffix);
    EXPECT_EQ(SelfUpdateName(shouted), kOwnName);
    EXPECT_EQ(DownloadedName(shouted), L"/vexa/" + kOwnName);
    EXPECT_TRUE(IsSelfUpdateEntry(L"/vExA/LibCurl.Dll"));
}

TEST(SelfUpdateEntryTest, OtherEntriesKeepTheirNames)
{
    for (const wchar_t* name : {L"/vexa.exe", L"/vexa/sub/vexa.exe", L"/vexax/vexa.exe", L"/vexa/vexa.exe.bak",
                                L"/vexa/filelist.xml", L"/data/VEXA.EXE"}) {
        EXPECT_FALSE(IsSelfUpdateEntry(name)) << name;
        EXPECT_EQ(DownloadedName(name), name);
    }
}

}  // namespace
