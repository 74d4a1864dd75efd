#include "vexa/install/CleanFileName.h"

#include "platform/text.h"
#include "tests/support/TempDir.h"
#include "vexa/install/FileListTool.h"

#include <gtest/gtest.h>

#include <fstream>

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

// The list tool and the updater accept exactly the same names: a file named so in a
// tree is listed by the tool exactly when the updater's check takes its FileName.
TEST(CleanFileNameTest, TheListToolAndTheUpdaterAcceptTheSameNames)
{
    const struct {
        std::wstring name;
        bool accepted;
    } cases[] = {
        {L"a\x1F" L"b", false}, {L"a\x7F" L"b", false}, {L"a b", true},     {L"a\x80" L"b", false},
        {L"a\x9F" L"b", false}, {L"a\xA0" L"b", true},  {L"a\x85" L"b", false}, {L"a\xFFFE" L"b", false},
        {L"my file.txt", true}, {L"a#b.txt", true},     {L"100%.txt", true},  {L"q?x.txt", true},
    };
    for (const auto& [name, accepted] : cases) {
        const testing_support::TempDir dir;
        EXPECT_EQ(IsCleanFileName(L"/" + name), accepted) << platform::Utf8FromWide(name);
        // Windows refuses control characters and '?' in names: such a file cannot be listed.
        if (!(std::ofstream(dir.Path() / testing_support::Utf8Path(platform::Utf8FromWide(name))) << "x"))
            continue;
        CFileList list;
        testing::internal::CaptureStdout();
        const bool listed = CollectFiles(list, {testing_support::WidePath(dir.Path())},
                                         testing_support::WidePath(dir.Path()), true, false);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(listed, accepted) << platform::Utf8FromWide(name);
    }
}

}  // namespace
