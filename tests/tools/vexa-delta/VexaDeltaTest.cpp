#include "tests/support/ChildProcess.h"
#include "tests/support/ClientVersion.h"
#include "tests/support/PackBytes.h"
#include "tests/support/RandomBytes.h"
#include "tests/support/TempDir.h"
#include "vexa/delta/DeltaManifest.h"
#include "vexa/delta/FilePatch.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using namespace testing_support;

struct ToolRun {
    int exitCode;
    std::string out;
};

ToolRun VexaDelta(std::vector<std::string> arguments)
{
    ChildOptions options;
    options.arguments = std::move(arguments);
    ChildProcess tool(TEST_BIN_DIR "/vexa-delta", options);
    EXPECT_TRUE(tool.Wait(std::chrono::seconds(120)));
    return {tool.ExitCode(), tool.Stdout() + tool.Stderr()};
}

class VexaDeltaTest : public ::testing::Test {
protected:
    std::filesystem::path Tree(const std::string& name, const VersionFiles& files)
    {
        const std::filesystem::path tree = temp.Path() / name;
        WriteVersionFiles(tree, files);
        EXPECT_TRUE(WriteVersionList(tree, files, tree / "vexa/filelist.xml"));
        return tree;
    }

    TempDir temp;
};

// Two old versions: the pack changed in both (a patch from each), a map that both
// hold alike (one patch for both), a small random file (no gain, named with its
// reason), a file unchanged (nothing) and a new text file (a full copy only).
TEST_F(VexaDeltaTest, PatchesEachOldContentOnceAndSaysWhichFilesGetNone)
{
    const std::string pack1 = PackBytes(1u << 20, 1);
    const std::string pack2 = ChangedPack(pack1, 4, 8000, 0, 2);
    const std::string pack3 = ChangedPack(pack2, 4, 8000, 50000, 3);
    const std::string map = PackBytes(300000, 4);
    const std::string text(200000, 't');
    const auto v1 = Tree("v1", {{"/data/pack.pak", pack1}, {"/data/map.pak", map}, {"/same", "same"}, {"/small", "a"}});
    const auto v2 = Tree("v2", {{"/data/pack.pak", pack2}, {"/data/map.pak", map}, {"/same", "same"}, {"/small", "b"}});
    const VersionFiles newFiles = {{"/data/pack.pak", pack3}, {"/data/map.pak", ChangedPack(map, 1, 100, 0, 5)},
                                   {"/same", "same"}, {"/small", RandomBytes(100, 6)}, {"/new.txt", text}};
    const auto v3 = Tree("v3", newFiles);
    const std::filesystem::path out = temp.Path() / "MOX/1.3";

    const ToolRun run = VexaDelta({"--old", v1.string(), "--old", v2.string(), "--new", v3.string(), "--out",
                                   out.string(), "--level", "3"});
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_NE(run.out.find("/small: no patch from "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("would save less than half"), std::string::npos) << run.out;

    CDeltaManifest manifest;
    ASSERT_TRUE(ReadDeltaManifest(WidePath(out / "vexa/deltas.xml"), manifest));
    std::map<std::wstring, int> perFile;
    for (const CDeltaEntry& entry : manifest) {
        ++perFile[entry.fileName];
        const std::filesystem::path patch = out / platform::Utf8FromWide(entry.patchName).substr(1);
        EXPECT_EQ(static_cast<std::int64_t>(std::filesystem::file_size(patch)), entry.size);
        EXPECT_EQ(FileMd5Hex(WidePath(patch)), entry.md5);
        const std::string name = platform::Utf8FromWide(entry.fileName);
        const std::filesystem::path source =
            entry.sourceMd5.empty() ? "" : FileMd5Hex(WidePath(Below(v1, name))) == entry.sourceMd5 ? Below(v1, name) : Below(v2, name);
        std::wstring digest;
        ASSERT_EQ(ApplyFilePatch(source.empty() ? L"" : WidePath(source), WidePath(patch), WidePath(temp.Path() / "out"),
                                 newFiles.at(name).size(), digest),
                  PatchResult::Done);
        EXPECT_EQ(ReadFileBytes(temp.Path() / "out"), newFiles.at(name)) << name;
    }
    // The pack: a patch from each version, and no full copy (random half is not worth it).
    EXPECT_EQ(perFile[L"/data/pack.pak"], 2);
    EXPECT_EQ(perFile[L"/data/map.pak"], 1);
    EXPECT_EQ(perFile[L"/new.txt"], 1);
    EXPECT_EQ(perFile.count(L"/same"), 0u);
    EXPECT_EQ(perFile.count(L"/small"), 0u);
    EXPECT_NE(run.out.find("/data/pack.pak: no full copy"), std::string::npos) << run.out;
}

TEST_F(VexaDeltaTest, HelpExplainsAndBadUsageOrMismatchedTreesFail)
{
    const ToolRun help = VexaDelta({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("vexa/deltas.xml"), std::string::npos);
    EXPECT_NE(help.out.find("vexa-sign sign"), std::string::npos);
    EXPECT_EQ(VexaDelta({"--new", "x", "--out", "y"}).exitCode, 2);

    const auto old = Tree("old", {{"/a.pak", PackBytes(200000, 1)}});
    const auto fresh = Tree("new", {{"/a.pak", ChangedPack(PackBytes(200000, 1), 1, 10, 0, 2)}});
    WriteFileBytes(old / "a.pak", "edited after listing");
    const ToolRun mismatch = VexaDelta({"--old", old.string(), "--new", fresh.string(), "--out", (temp.Path() / "o").string()});
    EXPECT_EQ(mismatch.exitCode, 1);
    EXPECT_NE(mismatch.out.find("is not the"), std::string::npos) << mismatch.out;
    EXPECT_EQ(VexaDelta({"--old", (temp.Path() / "none").string(), "--new", fresh.string(), "--out", "o"}).exitCode, 1);
}

}  // namespace
