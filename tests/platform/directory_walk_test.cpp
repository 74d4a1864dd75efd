#include "platform/directory_walk.h"
#include "platform/testing/special_files.h"

#include <gtest/gtest.h>


#include <algorithm>
#include <fstream>

#include "tests/support/SystemErrors.h"
#include "tests/support/TempDir.h"

namespace {

using platform::CDirectoryWalk;
using platform::EntryKind;
using platform::FolderEntry;
using testing_support::kNotAFolder;
using testing_support::kNotFound;
using testing_support::kSymbolicLinks;


const FolderEntry* Named(const std::vector<FolderEntry>& entries, const std::wstring& name)
{
    const auto found = std::find_if(entries.begin(), entries.end(), [&](const FolderEntry& e) { return e.name == name; });
    return found == entries.end() ? nullptr : &*found;
}

}  // namespace

TEST(DirectoryWalk, ReportsKindsThroughLinksAndHiddenNames)
{
    testing_support::TempDir dir;
    const auto& root = dir.Path();
    std::ofstream(root / "file.txt") << "x";
    std::ofstream(root / ".hidden") << "x";
    std::filesystem::create_directory(root / "folder");
    std::filesystem::create_directory(root / ".git");
    std::vector<std::pair<const wchar_t*, EntryKind>> kinds = {
        {L"file.txt", EntryKind::File}, {L"folder", EntryKind::Folder},
        {L".git", EntryKind::Folder},   {L".hidden", EntryKind::File}};
    if (kSymbolicLinks) {
        std::filesystem::create_symlink("file.txt", root / "to-file");
        std::filesystem::create_directory_symlink("folder", root / "to-folder");
        std::filesystem::create_symlink("nowhere", root / "broken");
        kinds.insert(kinds.end(), {{L"to-file", EntryKind::File},
                                   {L"to-folder", EntryKind::Folder},
                                   {L"broken", EntryKind::Other}});
    }
    if (platform::testing::MakeNamedPipe((root / "pipe").string()))
        kinds.emplace_back(L"pipe", EntryKind::Other);

    CDirectoryWalk walk;
    std::vector<FolderEntry> entries;
    ASSERT_EQ(walk.Enter(testing_support::WidePath(root), entries), CDirectoryWalk::EnterResult::Entered);
    ASSERT_EQ(entries.size(), kinds.size()) << "\".\" and \"..\" are left out";
    for (const auto& [name, kind] : kinds) {
        const FolderEntry* entry = Named(entries, name);
        ASSERT_NE(entry, nullptr) << name;
        EXPECT_EQ(entry->kind, kind) << name;
        EXPECT_EQ(entry->hidden, name[0] == L'.') << name;
    }
}

TEST(DirectoryWalk, RefusesAFolderAlreadyEnteredUntilItIsLeft)
{
    if (!kSymbolicLinks)
        GTEST_SKIP() << "the test makes no symbolic links on Windows";
    testing_support::TempDir dir;
    const auto& root = dir.Path();
    std::filesystem::create_directory(root / "sub");
    std::filesystem::create_directory_symlink("..", root / "sub" / "up");
    std::filesystem::create_directory_symlink(root / "sub", root / "alias");

    CDirectoryWalk walk;
    std::vector<FolderEntry> entries;
    ASSERT_EQ(walk.Enter(testing_support::WidePath(root), entries), CDirectoryWalk::EnterResult::Entered);
    ASSERT_EQ(walk.Enter(testing_support::WidePath(root / "sub"), entries), CDirectoryWalk::EnterResult::Entered);
    EXPECT_EQ(walk.Enter(testing_support::WidePath(root / "sub" / "up"), entries), CDirectoryWalk::EnterResult::Loop);
    EXPECT_EQ(walk.Enter(testing_support::WidePath(root / "alias"), entries), CDirectoryWalk::EnterResult::Loop);
    walk.Leave();
    // A second way to the same folder is no loop once the first has been left.
    EXPECT_EQ(walk.Enter(testing_support::WidePath(root / "alias"), entries), CDirectoryWalk::EnterResult::Entered);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, L"up");
}

TEST(DirectoryWalk, AMissingFolderOrAFileFailsWithNoEntries)
{
    testing_support::TempDir dir;
    std::ofstream(dir.Path() / "file") << "x";
    CDirectoryWalk walk;
    std::vector<FolderEntry> entries{{L"stale", EntryKind::File, false, true}};
    EXPECT_EQ(walk.Enter(testing_support::WidePath(dir.Path() / "missing"), entries), CDirectoryWalk::EnterResult::Failed);
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(walk.LastError(), kNotFound);
    EXPECT_EQ(walk.Enter(testing_support::WidePath(dir.Path() / "file"), entries), CDirectoryWalk::EnterResult::Failed);
    EXPECT_EQ(walk.LastError(), kNotAFolder);
}

TEST(DirectoryWalk, TellsWhetherANameIsSpelledExactly)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows names are UTF-16: none can be spelled other than exactly";
#endif
    testing_support::TempDir dir;
    std::ofstream(dir.Path() / testing_support::Utf8Path("\xE6\xB8\xB8\xE6\x88\x8F.pak")) << "x";
    std::ofstream(dir.Path() / "latin1-\xE9.pak") << "x";
    CDirectoryWalk walk;
    std::vector<FolderEntry> entries;
    ASSERT_EQ(walk.Enter(testing_support::WidePath(dir.Path()), entries), CDirectoryWalk::EnterResult::Entered);
    ASSERT_EQ(entries.size(), 2u);
    for (const FolderEntry& entry : entries)
        EXPECT_EQ(entry.exactName, entry.name == L"\u6E38\u620F.pak") << entry.name.size();
}

TEST(DirectoryWalk, ListsNamesInCodePointOrderWhateverTheFileSystemReturns)
{
    // U+FF01 before U+1F600 also where names are UTF-16, whose surrogates are lower units.
    const std::vector<std::string> sorted = {"C", "a", "b", "\xC3\xA9", "\xEF\xBC\x81", "\xF0\x9F\x98\x80"};
    testing_support::TempDir dir;
    for (auto name = sorted.rbegin(); name != sorted.rend(); ++name)
        std::ofstream(dir.Path() / testing_support::Utf8Path(*name)) << "x";
    CDirectoryWalk walk;
    std::vector<FolderEntry> entries;
    ASSERT_EQ(walk.Enter(testing_support::WidePath(dir.Path()), entries), CDirectoryWalk::EnterResult::Entered);
    std::vector<std::wstring> names;
    for (const FolderEntry& entry : entries)
        names.push_back(entry.name);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"C", L"a", L"b", L"\u00E9", L"\uFF01", L"\U0001F600"}));
}
