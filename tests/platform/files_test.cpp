#include "platform/files.h"
#include "platform/text.h"

#include "tests/support/ClientTree.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>

namespace {

using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;
namespace fs = std::filesystem;

TEST(CopyFileOver, ReplacesTheTargetWithTheSourceBytesAndPermissions)
{
    TempDir temp;
    const auto source = temp.Path() / "new.bin";
    const auto target = temp.Path() / "sub" / "\xE6\x9B\xB4.bin";
    fs::create_directories(target.parent_path());
    WriteFileBytes(source, std::string("\x00\x01zz", 4) + std::string(200000, 'q'));
    fs::permissions(source, fs::perms::owner_all);
    WriteFileBytes(target, "old and longer than nothing");

    ASSERT_TRUE(platform::CopyFileOver(source.wstring(), platform::WideFromUtf8(target.string())));
    EXPECT_EQ(ReadFileBytes(target), ReadFileBytes(source));
    EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_all);
    // No temporary file is left beside the target.
    EXPECT_EQ(std::distance(fs::directory_iterator(target.parent_path()), fs::directory_iterator()), 1);
}

TEST(CopyFileOver, MissingSourceOrFolderLeavesTheTargetAlone)
{
    TempDir temp;
    const auto target = temp.Path() / "keep.txt";
    WriteFileBytes(target, "keep");
    EXPECT_FALSE(platform::CopyFileOver((temp.Path() / "absent").wstring(), target.wstring()));
    fs::create_directories(temp.Path() / "folder");
    EXPECT_FALSE(platform::CopyFileOver((temp.Path() / "folder").wstring(), target.wstring()));
    EXPECT_EQ(ReadFileBytes(target), "keep");
    EXPECT_FALSE(platform::CopyFileOver(target.wstring(), (temp.Path() / "no" / "such" / "x").wstring()));
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.Path()), fs::directory_iterator()), 2);
}

TEST(FileSize, MeasuresFilesAndRefusesFoldersAndMissingPaths)
{
    TempDir temp;
    WriteFileBytes(temp.Path() / "five", "12345");
    std::uint64_t size = 0;
    int error = 0;
    ASSERT_TRUE(platform::FileSize((temp.Path() / "five").wstring(), size, error));
    EXPECT_EQ(size, 5u);

    EXPECT_FALSE(platform::FileSize(temp.Path().wstring(), size, error));
    EXPECT_EQ(error, EISDIR);
    EXPECT_FALSE(platform::FileSize((temp.Path() / "none").wstring(), size, error));
    EXPECT_EQ(error, ENOENT);
}

TEST(FolderTree, CreateWithParentsThenDeleteEverythingBelow)
{
    TempDir temp;
    const auto deep = temp.Path() / "a" / "b" / "c";
    ASSERT_TRUE(platform::CreateFolders(deep.wstring() + L"/"));
    ASSERT_TRUE(platform::CreateFolders(deep.wstring()));
    WriteFileBytes(deep / ".hidden", "h");
    WriteFileBytes(temp.Path() / "a" / "file", "f");
    // A link out of the tree is removed, not followed.
    fs::create_directories(temp.Path() / "outside");
    WriteFileBytes(temp.Path() / "outside" / "precious", "p");
    fs::create_directory_symlink(temp.Path() / "outside", temp.Path() / "a" / "link");

    EXPECT_TRUE(platform::FileExists((deep / ".hidden").wstring()));
    EXPECT_EQ(platform::DeleteTree((temp.Path() / "a").wstring()), 0);
    EXPECT_FALSE(platform::FileExists((temp.Path() / "a").wstring()));
    EXPECT_EQ(ReadFileBytes(temp.Path() / "outside" / "precious"), "p");
    EXPECT_EQ(platform::DeleteTree((temp.Path() / "a").wstring()), ENOENT);

    WriteFileBytes(temp.Path() / "plain", "x");
    EXPECT_FALSE(platform::CreateFolders((temp.Path() / "plain").wstring()));
    EXPECT_FALSE(platform::RemoveFile((temp.Path() / "outside").wstring()));
    EXPECT_TRUE(platform::RemoveFile((temp.Path() / "plain").wstring()));
    // Only "not there" counts as gone; a folder in the file's place does not.
    EXPECT_TRUE(platform::RemoveFileIfPresent((temp.Path() / "plain").wstring()));
    EXPECT_FALSE(platform::RemoveFileIfPresent((temp.Path() / "outside").wstring()));
}

}  // namespace
