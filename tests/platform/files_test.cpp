#include "platform/files.h"
#include "platform/text.h"

#include "tests/support/ClientTree.h"
#include "tests/support/SystemErrors.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace {

using testing_support::kIsFolder;
using testing_support::kNotFound;
using testing_support::kSymbolicLinks;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WidePath;
using testing_support::WriteFileBytes;
namespace fs = std::filesystem;


TEST(CopyFileOver, ReplacesTheTargetsBytesAndKeepsItsPermissions)
{
    TempDir temp;
    const auto source = temp.Path() / "new.bin";
    const auto target = temp.Path() / "sub" / "\xE6\x9B\xB4.bin";
    fs::create_directories(target.parent_path());
    WriteFileBytes(source, std::string("\x00\x01zz", 4) + std::string(200000, 'q'));
    fs::permissions(source, fs::perms::owner_read | fs::perms::owner_write);
    WriteFileBytes(target, "old and longer than nothing");
    fs::permissions(target, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);

    ASSERT_TRUE(platform::CopyFileOver(WidePath(source), platform::WideFromUtf8(target.string())));
    EXPECT_EQ(ReadFileBytes(target), ReadFileBytes(source));
    // No temporary file is left beside the target.
    EXPECT_EQ(std::distance(fs::directory_iterator(target.parent_path()), fs::directory_iterator()), 1);
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no permission bits: a copy takes its folder's access list";
#endif
    EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec)
        << "an updated program stays executable";

    // A new file takes the source's permissions.
    fs::permissions(source, fs::perms::owner_all);
    ASSERT_TRUE(platform::CopyFileOver(WidePath(source), WidePath(temp.Path() / "sub" / "new.bin")));
    EXPECT_EQ(fs::status(temp.Path() / "sub" / "new.bin").permissions(), fs::perms::owner_all);
}

TEST(CopyFileOver, MissingSourceOrFolderLeavesTheTargetAlone)
{
    TempDir temp;
    const auto target = temp.Path() / "keep.txt";
    WriteFileBytes(target, "keep");
    EXPECT_FALSE(platform::CopyFileOver(WidePath(temp.Path() / "absent"), WidePath(target)));
    fs::create_directories(temp.Path() / "folder");
    EXPECT_FALSE(platform::CopyFileOver(WidePath(temp.Path() / "folder"), WidePath(target)));
    EXPECT_EQ(ReadFileBytes(target), "keep");
    EXPECT_FALSE(platform::CopyFileOver(WidePath(target), WidePath(temp.Path() / "no" / "such" / "x")));
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.Path()), fs::directory_iterator()), 2);
}

// A copy killed half-way leaves its temporary file beside the target.
TEST(RemoveCopyLeftovers, DeletesOnlyTheTemporaryFilesOfTheGivenTargets)
{
    TempDir temp;
    const auto data = temp.Path() / "data";
    fs::create_directories(data / ".b.pak.copy-Folder");
    const std::vector<std::string> leftovers = {".a.pak.copy-x1Y2z3", ".b.pak.copy-000000",
                                                ".\xE6\x9B\xB4 x.bin.copy-AbCdEf"};
    std::vector<std::string> others = {"a.pak",          ".a.pak.copy-x1Y2z",  ".a.pak.copy-x1Y2z3.old",
                                       ".a.pak.copy-x1-2z3", "a.pak.copy-x1Y2z3", ".c.pak.copy-x1Y2z3",
                                       ".a.pak.new",     ".copy-x1Y2z3"};
#ifndef _WIN32
    // Another file where names keep their case; on Windows it is the first leftover itself.
    others.push_back(".A.PAK.copy-x1Y2z3");
#endif
    for (const auto& name : leftovers)
        WriteFileBytes(data / name, "half a copy");
    for (const auto& name : others)
        WriteFileBytes(data / name, "someone's");
    if (kSymbolicLinks)
        fs::create_symlink(data / "a.pak", data / ".a.pak.copy-Link00");
    WriteFileBytes(temp.Path() / ".a.pak.copy-x1Y2z3", "another folder's");

    platform::RemoveCopyLeftovers({WidePath(data / "a.pak"), WidePath(data / "b.pak"),
                                   WidePath(data / "\xE6\x9B\xB4 x.bin"), WidePath(temp.Path() / "no" / "x")});
    for (const auto& name : leftovers)
        EXPECT_FALSE(fs::exists(data / name)) << name;
    for (const auto& name : others)
        EXPECT_EQ(ReadFileBytes(data / name), "someone's") << name;
    EXPECT_TRUE(fs::is_directory(data / ".b.pak.copy-Folder"));
    EXPECT_EQ(fs::is_symlink(data / ".a.pak.copy-Link00"), kSymbolicLinks);
    EXPECT_TRUE(fs::exists(temp.Path() / ".a.pak.copy-x1Y2z3"));
}

TEST(FileSize, MeasuresFilesAndRefusesFoldersAndMissingPaths)
{
    TempDir temp;
    WriteFileBytes(temp.Path() / "five", "12345");
    std::uint64_t size = 0;
    int error = 0;
    ASSERT_TRUE(platform::FileSize(WidePath(temp.Path() / "five"), size, error));
    EXPECT_EQ(size, 5u);

    EXPECT_FALSE(platform::FileSize(WidePath(temp.Path()), size, error));
    EXPECT_EQ(error, kIsFolder);
    EXPECT_FALSE(platform::FileSize(WidePath(temp.Path() / "none"), size, error));
    EXPECT_EQ(error, kNotFound);
}

TEST(FolderTree, CreateWithParentsThenDeleteEverythingBelow)
{
    TempDir temp;
    const auto deep = temp.Path() / "a" / "b" / "c";
    ASSERT_TRUE(platform::CreateFolders(WidePath(deep) + L"/"));
    ASSERT_TRUE(platform::CreateFolders(WidePath(deep)));
    WriteFileBytes(deep / ".hidden", "h");
    WriteFileBytes(temp.Path() / "a" / "file", "f");
    // A link out of the tree is removed, not followed.
    fs::create_directories(temp.Path() / "outside");
    WriteFileBytes(temp.Path() / "outside" / "precious", "p");
    if (kSymbolicLinks)
        fs::create_directory_symlink(temp.Path() / "outside", temp.Path() / "a" / "link");

    EXPECT_TRUE(platform::FileExists(WidePath(deep / ".hidden")));
    EXPECT_EQ(platform::DeleteTree(WidePath(temp.Path() / "a")), 0);
    EXPECT_FALSE(platform::FileExists(WidePath(temp.Path() / "a")));
    EXPECT_EQ(ReadFileBytes(temp.Path() / "outside" / "precious"), "p");
    EXPECT_EQ(platform::DeleteTree(WidePath(temp.Path() / "a")), kNotFound);

    WriteFileBytes(temp.Path() / "plain", "x");
    EXPECT_FALSE(platform::CreateFolders(WidePath(temp.Path() / "plain")));
    EXPECT_FALSE(platform::RemoveFile(WidePath(temp.Path() / "outside")));
    EXPECT_TRUE(platform::RemoveFile(WidePath(temp.Path() / "plain")));
    // Only "not there" counts as gone; a folder in the file's place does not.
    EXPECT_TRUE(platform::RemoveFileIfPresent(WidePath(temp.Path() / "plain")));
    EXPECT_FALSE(platform::RemoveFileIfPresent(WidePath(temp.Path() / "outside")));
}

}  // namespace
