#include "vexa/install/SelfUpdateEntry.h"

#include <gtest/gtest.h>

namespace {

// This test program stands for the running updater: its own name is one of the names.
const std::wstring kOwnName = L"vexa_install_tests";

TEST(SelfUpdateEntryTest, UpdatersOwnFilesInAnyLetterCaseGetTheirOwnNames)
{
    EXPECT_EQ(SelfUpdateName(L"/vexa/vexa.exe"), L"vexa.exe");
    EXPECT_EQ(SelfUpdateName(L"/VEXA/Vexa.EXE"), L"vexa.exe");
    EXPECT_EQ(SelfUpdateName(L"/Vexa/LIBCURL.dll"), L"libcurl.dll");
    EXPECT_EQ(SelfUpdateName(L"/VEXA/VEXA_INSTALL_TESTS"), kOwnName);
    EXPECT_EQ(DownloadedName(L"/VEXA/VEXA_INSTALL_TESTS"), L"/vexa/" + kOwnName);
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
