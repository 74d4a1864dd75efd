#include "platform/text.h"
#include "vexa/control/CommandLine.h"
#include "vexa/control/FileUtils.h"
#include "vexa/control/ModuleFolders.h"
#include "vexa/control/TextUtils.h"
#include "vexa/control/Versions.h"
#include "vexa/control/WindowPlacement.h"

#include "tests/support/ClientTree.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestProgram.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace {

using testing_support::ClientTree;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WidePath;
using testing_support::WriteFileBytes;

const std::string kProbe = testing_support::TestProgram("vexa-control-probe");

TEST(ModuleFolders, RootIsTheParentOfTheModuleFolderAndNamedPathsLieInside)
{
    const std::wstring module = GetModuleFolder();
    ASSERT_GE(module.size(), 2u);
    EXPECT_EQ(module.back(), L'/');
    EXPECT_EQ(WidePath(std::filesystem::path(module).parent_path().parent_path()) + L"/", GetRootFolder());

    EXPECT_EQ(GetLocalConfigPath(), module + L"vexa.xml");
    EXPECT_EQ(GetDownloadedConfigPath(), module + L"tempDownload/vexa.xml");
    EXPECT_EQ(GetLocalFileListPath(), module + L"filelist.xml");
    EXPECT_EQ(GetDownloadInfoPath(), module + L"temp_downloadInfo.xml");
    EXPECT_EQ(GetBackupFolder(), module + L"backup/");
    EXPECT_EQ(GetNeedUpdatePath(), module + L"needupdate.txt");
    EXPECT_EQ(GetTempDownloadFolder(), module + L"tempDownload/");
    EXPECT_EQ(GetLogFolder(), module + L"log/");
}

TEST(GetPathDir, PrefersForwardSlashAndKeepsFoldersAndBareNamesWhole)
{
    EXPECT_EQ(GetPathDir(L"C:\\a\\b.txt"), L"C:\\a\\");
    EXPECT_EQ(GetPathDir(L"C:\\a\\"), L"C:\\a\\");
    EXPECT_EQ(GetPathDir(L"a/b\\c.txt"), L"a/");
    EXPECT_EQ(GetPathDir(L"abc"), L"abc");
    EXPECT_EQ(GetPathDir(L"/srv/game/vexa/"), L"/srv/game/vexa/");
    EXPECT_EQ(GetPathDir(L"/srv/game/file.dat"), L"/srv/game/");
}

TEST(FolderOperations, EnsurePathDirCreatesParentsAndDeleteTreeRemovesThemAgain)
{
    TempDir temp;
    const std::wstring base = WidePath(temp.Path());
    EnsurePathDir(base + L"/one/two/file.txt");
    EXPECT_TRUE(std::filesystem::is_directory(temp.Path() / "one" / "two"));
    EXPECT_FALSE(std::filesystem::exists(temp.Path() / "one" / "two" / "file.txt"));

    WriteFileBytes(temp.Path() / "one" / "two" / "file.txt", "x");
    EXPECT_TRUE(FileExists(base + L"/one/two/file.txt"));
    EXPECT_TRUE(FileExists(base + L"/one/"));
    // The trailing separator is cut: the folder itself goes, not only its contents.
    EXPECT_EQ(DeleteTree(base + L"/one/"), 0);
    EXPECT_FALSE(std::filesystem::exists(temp.Path() / "one"));
    EXPECT_NE(DeleteTree(base + L"/one/"), 0);
    EXPECT_FALSE(FileExists(base + L"/one/"));
}

TEST(FolderOperations, EnsurePathDirOfABareNameCreatesNothing)
{
    TempDir temp;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(temp.Path());
    EnsurePathDir(L"plain.txt");
    std::filesystem::current_path(previous);
    EXPECT_TRUE(std::filesystem::is_empty(temp.Path()));
}

TEST(SplitString, TrimsPiecesAndDropsEmptyOnes)
{
    std::vector<std::wstring> pieces{L"stale"};
    SplitString(L" 1 . 2 .. 3 ", L'.', pieces);
    EXPECT_EQ(pieces, (std::vector<std::wstring>{L"1", L"2", L"3"}));
    SplitString(L"\t1.0.12\r\n", L'.', pieces);
    EXPECT_EQ(pieces, (std::vector<std::wstring>{L"1", L"0", L"12"}));
    SplitString(L" . ", L'.', pieces);
    EXPECT_TRUE(pieces.empty());
}

// Arguments, version strings and their pieces agree on what white space is,
// whatever the locale.
TEST(WhiteSpace, ArgumentsAndVersionPiecesTrimTheSameCharacters)
{
    for (const wchar_t blank : {L' ', L'\t', L'\r', L'\n', L'\x3000', L'\xA0', L'\x2009'}) {
        const std::wstring around = std::wstring(1, blank) + L"2" + std::wstring(1, blank);
        std::vector<std::wstring> pieces;
        SplitString(L"1." + around + L".3", L'.', pieces);
        EXPECT_EQ(pieces, (std::vector<std::wstring>{L"1", L"2", L"3"})) << static_cast<unsigned>(blank);
        EXPECT_EQ(NormalizeArgument(around), L"2") << static_cast<unsigned>(blank);
        EXPECT_EQ(VersionNumber(around), 2) << static_cast<unsigned>(blank);
    }
    EXPECT_EQ(NormalizeArgument(L"\x3000-update\x3000"), L"update");
    EXPECT_EQ(TrimWhiteSpace(L"\x3000 \x3000"), L"");
    EXPECT_FALSE(IsWhiteSpace(L'\x200B'));
}

TEST(ToUtf8, NeedsRoomForTheTerminatorAndCountsBytesNotCharacters)
{
    char buffer[512];
    std::fill(std::begin(buffer), std::end(buffer), 'z');
    EXPECT_FALSE(ToUtf8(std::wstring(511, L'a'), buffer, sizeof(buffer)));
    EXPECT_EQ(buffer[0], 'z');
    ASSERT_TRUE(ToUtf8(std::wstring(510, L'a'), buffer, sizeof(buffer)));
    EXPECT_EQ(std::string(buffer), std::string(510, 'a'));

    // 170 CJK characters are 510 bytes; one more is 513.
    ASSERT_TRUE(ToUtf8(std::wstring(170, L'\x66F4'), buffer, sizeof(buffer)));
    EXPECT_EQ(std::strlen(buffer), 510u);
    EXPECT_FALSE(ToUtf8(std::wstring(171, L'\x66F4'), buffer, sizeof(buffer)));
}

TEST(CenterWindowInWorkArea, HalvesTruncateAndSizeIsKept)
{
    const WindowRect placed = CenterWindowInWorkArea({0, 0, 1024, 768}, {10, 20, 311, 221});
    EXPECT_EQ(placed.left, 362);
    EXPECT_EQ(placed.top, 284);
    EXPECT_EQ(placed.right - placed.left, 301);
    EXPECT_EQ(placed.bottom - placed.top, 201);

    // A work area that does not start at 0 (a task bar on the left or top).
    const WindowRect offset = CenterWindowInWorkArea({40, 30, 1025, 769}, {0, 0, 100, 50});
    EXPECT_EQ(offset.left, 40 + 492 - 50);
    EXPECT_EQ(offset.top, 30 + 369 - 25);
}

TEST(GetFileSize, GivesTheWholeSizeAndPrintsTheReasonOnFailure)
{
    TempDir temp;
    const auto big = temp.Path() / "big.bin";
    WriteFileBytes(big, "");
    std::filesystem::resize_file(big, (std::uint64_t{1} << 32) + 5);
    std::uint64_t size = 0;
    ASSERT_TRUE(GetFileSize(WidePath(big), size));
    EXPECT_EQ(size, (std::uint64_t{1} << 32) + 5);

    const std::wstring missing = WidePath(temp.Path() / "missing.bin");
    testing::internal::CaptureStdout();
    EXPECT_FALSE(GetFileSize(missing, size));
    // The console's text is in the ANSI code page: UTF-8 here, the system's on Windows.
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              platform::AnsiFromWide(L"无法获取文件大小: " + missing + L"! ErrorCode: 2"));
}

int RunNeedUpdate(const ClientTree& tree, std::vector<std::string> lines)
{
    lines.insert(lines.begin(), "needupdate");
    return tree.Run(lines);
}

TEST(NeedUpdateFile, EachEntryEndsInCrCrLfAndTextIsGbk)
{
    ClientTree tree(kProbe);
    const auto path = tree.ModuleFolder() / "needupdate.txt";
    WriteFileBytes(path, std::string(100, 'o'));

    ASSERT_EQ(RunNeedUpdate(tree, {"a", "b"}), 0);
    EXPECT_EQ(ReadFileBytes(path), "a\r\r\nb\r\r\n");

    ASSERT_EQ(RunNeedUpdate(tree, {"1.0.3", "vexa/\xE6\x9B\xB4\xE6\x96\xB0.dll"}), 0);
    EXPECT_EQ(ReadFileBytes(path), "1.0.3\r\r\nvexa/\xB8\xFC\xD0\xC2.dll\r\r\n");
}

TEST(NeedUpdateFile, FailsWhenTheFileCannotBeCreated)
{
    ClientTree tree(kProbe);
    std::filesystem::create_directories(tree.ModuleFolder() / "needupdate.txt" / "in-the-way");
    EXPECT_EQ(RunNeedUpdate(tree, {"a"}), 1);
}

}  // namespace
