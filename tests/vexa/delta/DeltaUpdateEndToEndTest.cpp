// The real updater against nginx with deltas published by the real vexa-delta.
#include "tests/support/PackBytes.h"
#include "tests/support/TestProgram.h"
#include "tests/support/VexaSign.h"
#include "tests/vexa/control/UpdateModeFixture.h"
#include "vexa/delta/DeltaManifest.h"

#include <sstream>

namespace {

using namespace update_mode_testing;
using testing_support::ChangedPack;
using testing_support::PackBytes;
using testing_support::RunVexaSign;
using testing_support::WidePath;

class DeltaUpdateTest : public UpdateModeTest {
protected:
    // Installs files beside the fixture's own, as version 1.0.0 lists them.
    void Install(const VersionFiles& files)
    {
        installed = kOld;
        installed.insert(files.begin(), files.end());
        WriteVersionFiles(tree.Root(), installed);
        ASSERT_TRUE(WriteVersionList(tree.Root(), installed, tree.ModuleFolder() / "filelist.xml"));
    }

    // Publishes 1.1.0 with the deltas from the installed tree, as a publisher would.
    void PublishWithDeltas(const VersionFiles& files)
    {
        published = files;
        Publish("1.1.0", files);
        ChildOptions options;
        options.arguments = {"--old", tree.Root().string(), "--new", VersionSite().string(), "--out",
                             VersionSite().string(), "--level", "3"};
        ChildProcess tool(testing_support::TestProgram("vexa-delta"), options);
        ASSERT_TRUE(tool.Wait(120s));
        ASSERT_EQ(tool.ExitCode(), 0) << tool.Stdout();
        ASSERT_TRUE(ReadDeltaManifest(WidePath(VersionSite() / "vexa/deltas.xml"), manifest));
    }

    fs::path PatchOf(const std::string& fileName) const
    {
        for (const CDeltaEntry& entry : manifest)
            if (platform::Utf8FromWide(entry.fileName) == fileName && !entry.sourceMd5.empty())
                return VersionSite() / platform::Utf8FromWide(entry.patchName).substr(1);
        ADD_FAILURE() << "no patch for " << fileName;
        return {};
    }

    // The requests nginx served below the version's folder, without the list and manifest.
    std::string VersionRequests() const
    {
        std::istringstream log(server.AccessLog());
        std::string line, requests;
        while (std::getline(log, line))
            if (line.find("/MOX/1.1.0/") != std::string::npos && line.find("filelist.xml") == std::string::npos)
                requests += line.substr(line.find("/MOX/1.1.0/") + 11) + "\n";
        return requests;
    }

    bool Fetched(const std::string& path) const { return VersionRequests().find(path + " HTTP") != std::string::npos; }

    void ExpectUpdatedTo(const VersionFiles& files)
    {
        EXPECT_EQ(Client(), "-onlymain: started\n");
        EXPECT_EQ(DifferingFiles(tree.Root(), files), "");
        EXPECT_EQ(ReadFileBytes(tree.ModuleFolder() / "filelist.xml"),
                  ReadFileBytes(VersionSite() / "vexa" / "filelist.xml"));
        EXPECT_FALSE(fs::exists(tree.ModuleFolder() / "tempDownload"));
    }

    std::wstring FallbackLine(const std::string& fileName) const
    {
        return L"文件 " + Wide(VersionDownload()) + platform::WideFromUtf8(fileName) +
               L" 无法由增量补丁生成, 改为下载整个文件";
    }

    VersionFiles installed;
    VersionFiles published;
    CDeltaManifest manifest;
};

const std::string& Pack()
{
    static const std::string pack = PackBytes(64u << 20, 1);
    return pack;
}

const std::string& Map()
{
    static const std::string map = PackBytes(4u << 20, 2);
    return map;
}

// A 64 MiB pack changed in scattered places with an insertion that shifts the rest,
// and a map changed in place: each comes as its patch, never whole.
TEST_F(DeltaUpdateTest, ChangedPacksComeAsPatchesAndInstallByteIdentical)
{
    Install({{"/data/pack.pak", Pack()}, {"/data/map.pak", Map()}});
    PublishWithDeltas({{"/a.txt", "new a"}, {"/keep.txt", "same"},
                       {"/data/pack.pak", ChangedPack(Pack(), 6, 60000, 70000, 3)},
                       {"/data/map.pak", ChangedPack(Map(), 3, 3000, 0, 4)}});

    EXPECT_EQ(RunUpdate(), 0);
    ExpectUpdatedTo(published);
    EXPECT_TRUE(Fetched("vexa/deltas/" + PatchOf("/data/pack.pak").filename().string()));
    EXPECT_TRUE(Fetched("vexa/deltas/" + PatchOf("/data/map.pak").filename().string()));
    EXPECT_FALSE(Fetched("data/pack.pak")) << VersionRequests();
    EXPECT_FALSE(Fetched("data/map.pak")) << VersionRequests();
    EXPECT_TRUE(Fetched("a.txt"));
}

// A corrupted patch and a patch made from other content each end in the whole file,
// with one line saying so, and the tree is right.
TEST_F(DeltaUpdateTest, BrokenOrForeignPatchesFallBackToTheWholeFile)
{
    Install({{"/data/pack.pak", Map()}, {"/data/map.pak", Map().substr(0, 3u << 20)}});
    PublishWithDeltas({{"/a.txt", "new a"}, {"/keep.txt", "same"},
                       {"/data/pack.pak", ChangedPack(Map(), 3, 3000, 0, 5)},
                       {"/data/map.pak", ChangedPack(Map().substr(0, 3u << 20), 3, 3000, 0, 6)}});
    std::string corrupted = ReadFileBytes(PatchOf("/data/pack.pak"));
    corrupted[corrupted.size() / 2] ^= 0x20;
    WriteFileBytes(PatchOf("/data/pack.pak"), corrupted);
    // The map's manifest entry names the pack's patch, well formed but for other content.
    for (CDeltaEntry& entry : manifest)
        if (entry.fileName == L"/data/map.pak" && !entry.sourceMd5.empty()) {
            WriteFileBytes(VersionSite() / "vexa/deltas/foreign.patch", ReadFileBytes(PatchOf("/data/pack.pak")));
            entry.patchName = L"/vexa/deltas/foreign.patch";
            entry.size = static_cast<std::int64_t>(corrupted.size());
            entry.md5 = FileMd5Hex(WidePath(VersionSite() / "vexa/deltas/foreign.patch"));
        }
    ASSERT_TRUE(WriteDeltaManifest(manifest, WidePath(VersionSite() / "vexa/deltas.xml")));

    EXPECT_EQ(RunUpdate(), 0);
    ExpectUpdatedTo(published);
    EXPECT_TRUE(Fetched("data/pack.pak")) << VersionRequests();
    EXPECT_TRUE(Fetched("data/map.pak")) << VersionRequests();
    EXPECT_TRUE(Logged(FallbackLine("/data/pack.pak")));
    EXPECT_TRUE(Logged(FallbackLine("/data/map.pak")));
}

// Signed publishing: an unsigned manifest is ignored with a line, the update goes on
// plainly; the same manifest signed is used.
TEST_F(DeltaUpdateTest, UnderSignedPublishingOnlyASignedManifestIsUsed)
{
    const TempDir publisher;
    RunVexaSign({"keygen", publisher.Path().string()});
    fs::copy_file(publisher.Path() / "update.pub", tree.ModuleFolder() / "update.pub");
    const auto sign = [&](const fs::path& file) { RunVexaSign({"sign", (publisher.Path() / "update.key").string(), file.string()}); };
    Install({{"/data/map.pak", Map()}});
    PublishWithDeltas({{"/a.txt", "new a"}, {"/keep.txt", "same"}, {"/data/map.pak", ChangedPack(Map(), 3, 3000, 0, 7)}});
    sign(server.SiteRoot() / "MOXUpdate/MOX/vexa.xml");
    sign(VersionSite() / "vexa/filelist.xml");

    EXPECT_EQ(RunUpdate(), 0);
    ExpectUpdatedTo(published);
    EXPECT_TRUE(Fetched("data/map.pak"));
    EXPECT_TRUE(Logged(L"增量更新清单未通过签名验证, 不使用增量更新: " + platform::WideFromUtf8(server.BaseUrl()) +
                       L"MOXUpdate/MOX/1.1.0/vexa/deltas.xml"));

    Install({{"/data/map.pak", Map()}});
    WriteFileBytes(tree.ModuleFolder() / "vexa.xml", Config("1.0.0", "0.0.0"));
    sign(VersionSite() / "vexa/deltas.xml");
    const std::size_t before = VersionRequests().size();
    EXPECT_EQ(RunUpdate(), 0);
    EXPECT_EQ(Client(2), "-onlymain: started\n-onlymain: started\n");
    EXPECT_EQ(DifferingFiles(tree.Root(), published), "");
    const std::string second = VersionRequests().substr(before);
    EXPECT_NE(second.find("vexa/deltas/"), std::string::npos) << second;
    EXPECT_EQ(second.find("data/map.pak"), std::string::npos) << second;
}

// A patch download cancelled half-way is resumed by the next run from where it stopped.
TEST_F(DeltaUpdateTest, CancelledPatchDownloadResumesOnTheNextRun)
{
    Install({{"/data/map.pak", Map()}});
    // Only the map changes, so the file bar's first file is its patch.
    PublishWithDeltas({{"/a.txt", "old a"}, {"/keep.txt", "same"}, {"/data/map.pak", ChangedPack(Map(), 2, 2000, 1u << 20, 8)}});
    const std::string patchName = PatchOf("/data/map.pak").filename().string();

    EXPECT_EQ(RunUpdate("press 1004 in 107 when 1007 >= 40\nyes\n"), 0);
    EXPECT_EQ(Client(), "-onlymain: started\n");
    const fs::path partial = VersionDownload() / "vexa/deltas" / patchName;
    ASSERT_TRUE(fs::exists(partial));
    const std::size_t kept = fs::file_size(partial);
    EXPECT_GT(kept, 0u);

    EXPECT_EQ(RunUpdate(), 0);
    EXPECT_EQ(DifferingFiles(tree.Root(), published), "");
    EXPECT_NE(VersionRequests().find("vexa/deltas/" + patchName + " HTTP/1.1 206 range=bytes=" + std::to_string(kept) + "-"),
              std::string::npos)
        << VersionRequests();
    EXPECT_FALSE(Fetched("data/map.pak"));
}

}  // namespace
