#include "vexa/delta/FilePatch.h"

#include "tests/support/ClientTree.h"
#include "tests/support/PackBytes.h"
#include "tests/support/TempDir.h"
#include "vexa/install/Md5.h"

#include <gtest/gtest.h>

namespace {

using testing_support::ChangedPack;
using testing_support::PackBytes;
using testing_support::ReadFileBytes;
using testing_support::WidePath;
using testing_support::WriteFileBytes;

class FilePatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteFileBytes(Path("old"), oldPack);
        WriteFileBytes(Path("new"), newPack);
        std::string patch;
        ASSERT_EQ(MakeFilePatch(Wide("old"), Wide("new"), 3, patch), PatchResult::Done);
        WriteFileBytes(Path("patch"), patch);
    }

    std::filesystem::path Path(const std::string& name) const { return temp.Path() / name; }
    std::wstring Wide(const std::string& name) const { return WidePath(Path(name)); }

    PatchResult Apply(const std::string& old, const std::string& patch, std::uint64_t size)
    {
        digest.clear();
        return ApplyFilePatch(old.empty() ? L"" : Wide(old), Wide(patch), Wide("out"), size, digest);
    }

    testing_support::TempDir temp;
    const std::string oldPack = PackBytes(2u << 20, 1);
    const std::string newPack = ChangedPack(oldPack, 5, 20000, 100000, 2);
    std::wstring digest;
};

TEST_F(FilePatchTest, PatchRebuildsTheNewFileFromTheOldAndIsSmall)
{
    EXPECT_LT(ReadFileBytes(Path("patch")).size(), 150000u);
    ASSERT_EQ(Apply("old", "patch", newPack.size()), PatchResult::Done);
    EXPECT_EQ(ReadFileBytes(Path("out")), newPack);
    EXPECT_EQ(digest, FileMd5Hex(Wide("new")));

    // A full copy is the same frame without old content.
    std::string copy;
    ASSERT_EQ(MakeFilePatch(L"", Wide("new"), 3, copy), PatchResult::Done);
    WriteFileBytes(Path("copy"), copy);
    ASSERT_EQ(Apply("", "copy", newPack.size()), PatchResult::Done);
    EXPECT_EQ(ReadFileBytes(Path("out")), newPack);
}

// Whatever a patch does wrong, the apply fails or the digest tells; nothing writes
// beyond the size the list gives.
TEST_F(FilePatchTest, BrokenOrForeignPatchesNeverPassForTheNewFile)
{
    const std::string patch = ReadFileBytes(Path("patch"));
    std::string corrupted = patch;
    corrupted[corrupted.size() / 2] ^= 0x55;
    WriteFileBytes(Path("corrupted"), corrupted);
    WriteFileBytes(Path("cut"), patch.substr(0, patch.size() - 100));
    WriteFileBytes(Path("other"), PackBytes(2u << 20, 9));

    const std::wstring expected = FileMd5Hex(Wide("new"));
    const PatchResult corruptedResult = Apply("old", "corrupted", newPack.size());
    EXPECT_TRUE(corruptedResult != PatchResult::Done || digest != expected);
    EXPECT_EQ(Apply("old", "cut", newPack.size()), PatchResult::Failed);
    EXPECT_EQ(Apply("old", "patch", newPack.size() - 1), PatchResult::Failed);
    EXPECT_LE(std::filesystem::file_size(Path("out")), newPack.size());
    const PatchResult foreign = Apply("other", "patch", newPack.size());
    EXPECT_TRUE(foreign != PatchResult::Done || digest != expected);
    EXPECT_EQ(Apply("old", "missing", newPack.size()), PatchResult::Unreadable);
}

}  // namespace
