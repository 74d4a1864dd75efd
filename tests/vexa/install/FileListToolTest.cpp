#include "vexa/install/FileListTool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <map>
#include <thread>

#include "tests/support/ClientTree.h"
#include "tests/support/TempDir.h"
#include "tests/vexa/install/DeepFolders.h"

namespace {

void WriteFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::wstring> NamesOf(const CFileList& list)
{
    std::vector<std::wstring> names;
    for (const CFileListInfo& entry : list)
        names.push_back(entry.GetFileName());
    return names;
}

// Depth-first: the files below any one folder form one unbroken run of the list.
void ExpectEachFolderContiguous(const std::vector<std::wstring>& names)
{
    std::map<std::wstring, std::vector<std::size_t>> positionsBelow;
    for (std::size_t i = 0; i < names.size(); ++i)
        for (std::size_t cut = names[i].find(L'/', 1); cut != std::wstring::npos; cut = names[i].find(L'/', cut + 1))
            positionsBelow[names[i].substr(0, cut)].push_back(i);
    for (const auto& [folder, positions] : positionsBelow)
        EXPECT_EQ(positions.back() - positions.front() + 1, positions.size()) << folder.size();
}

}  // namespace

TEST(CollectFiles, ListsVisibleFilesDepthFirstWithDigestsAndSizes)
{
    testing_support::TempDir dir;
    // The root's own name recurs below it: only the leading root may be cut.
    const auto root = dir.Path() / "client";
    std::filesystem::create_directories(root / "data" / "client" / "deep");
    std::filesystem::create_directories(root / "vexa");
    std::filesystem::create_directories(root / ".cache");
    WriteFile(root / "mox.exe", "abc");
    WriteFile(root / "vexa" / "vexa.exe", "");
    WriteFile(root / "data" / "a&b.pak", std::string(5000, 'x'));
    WriteFile(root / "data" / "client" / "deep" / "x.dat", "message digest");
    WriteFile(root / "data" / ".secret", "hidden");
    WriteFile(root / ".cache" / "inside-hidden", "hidden");
    std::filesystem::create_directory_symlink("..", root / "data" / "client" / "loop");
    std::filesystem::create_symlink("missing", root / "dangling");

    CFileList list;
    const std::wstring rootText = testing_support::WidePath(root);
    ASSERT_TRUE(CollectFiles(list, {rootText}, rootText, true, false));

    std::map<std::wstring, std::pair<std::wstring, std::int64_t>> byName;
    for (const CFileListInfo& entry : list)
        byName[entry.GetFileName()] = {entry.GetMd5(), entry.GetSize()};
    const std::map<std::wstring, std::pair<std::wstring, std::int64_t>> expected = {
        {L"/mox.exe", {L"900150983cd24fb0d6963f7d28e17f72", 3}},
        {L"/vexa/vexa.exe", {L"d41d8cd98f00b204e9800998ecf8427e", 0}},
        {L"/data/a&b.pak", {L"a6bb7bde3251ca2d810d32dadd9e8ae7", 5000}},
        {L"/data/client/deep/x.dat", {L"f96b697d7cb7938d525a2f31aaf161d0", 14}},
    };
    ASSERT_EQ(list.GetCount(), expected.size());
    for (const auto& [name, fields] : expected) {
        ASSERT_TRUE(byName.count(name)) << "missing " << name.size();
        EXPECT_EQ(byName[name], fields);
    }
    ExpectEachFolderContiguous(NamesOf(list));
}

TEST(CollectFiles, AppendsAfterWhatTheListHolds)
{
    testing_support::TempDir dir;
    WriteFile(dir.Path() / "f", "");
    CFileList list;
    list.Add(CFileListInfo(L"/first", L"", 0));
    ASSERT_TRUE(CollectFiles(list, {testing_support::WidePath(dir.Path())}, testing_support::WidePath(dir.Path()), true, false));
    EXPECT_EQ(NamesOf(list), (std::vector<std::wstring>{L"/first", L"/f"}));
}

TEST(CollectFiles, ReportsEachFileUnlessQuiet)
{
    testing_support::TempDir dir;
    WriteFile(dir.Path() / "one", "1");
    CFileList list;
    testing::internal::CaptureStdout();
    CollectFiles(list, {testing_support::WidePath(dir.Path())}, testing_support::WidePath(dir.Path()), true, false);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    testing::internal::CaptureStdout();
    CollectFiles(list, {testing_support::WidePath(dir.Path())}, testing_support::WidePath(dir.Path()), false, false);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), (dir.Path() / "one").string() + " 生成成功!\n");
}

TEST(CollectFiles, AFolderThatCannotBeOpenedStopsTheWalk)
{
    testing_support::TempDir dir;
    WriteFile(dir.Path() / "a", "1");
    ASSERT_TRUE(MakeFoldersTooDeepToOpen(dir.Path()));

    CFileList list;
    EXPECT_FALSE(CollectFiles(list, {testing_support::WidePath(dir.Path())}, testing_support::WidePath(dir.Path()), true, false));
}

TEST(CollectFiles, AFolderThatCannotBeOpenedIsNamedWithItsError)
{
    testing_support::TempDir dir;
    ASSERT_TRUE(MakeFoldersTooDeepToOpen(dir.Path()));
    CFileList list;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(CollectFiles(list, {testing_support::WidePath(dir.Path())}, testing_support::WidePath(dir.Path()), true, false));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind("无法读取文件夹: " + dir.Path().string() + "/", 0), 0u) << out;
    EXPECT_TRUE(out.ends_with("! ErrorCode: 36\n")) << out;
}

TEST(CollectFiles, NamesTheListCannotCarryStopTheWalk)
{
    for (const std::string name : {"bad\xFF.pak", "bell\x07.pak", "back\\slash.pak", "tab\there"}) {
        testing_support::TempDir dir;
        WriteFile(dir.Path() / "fine.pak", "1");
        std::filesystem::create_directory(dir.Path() / "sub");
        WriteFile(dir.Path() / "sub" / name, "2");
        CFileList list;
        testing::internal::CaptureStdout();
        EXPECT_FALSE(CollectFiles(list, {testing_support::WidePath(dir.Path())}, testing_support::WidePath(dir.Path()), true, false)) << name;
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(out.rfind("文件名无法写入filelist.xml: " + dir.Path().string() + "/sub/", 0), 0u) << out;
    }
    // A folder's name reaches every FileName below it.
    testing_support::TempDir dir;
    std::filesystem::create_directory(dir.Path() / "line\nbreak");
    CFileList list;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(CollectFiles(list, {testing_support::WidePath(dir.Path())}, testing_support::WidePath(dir.Path()), true, false));
    EXPECT_NE(testing::internal::GetCapturedStdout().find("文件名无法写入filelist.xml"), std::string::npos);
}

namespace {

struct Collected {
    bool collected;
    std::string console;
    std::string list;  // the list as written to "filelist.xml"
};

bool operator==(const Collected& a, const Collected& b)
{
    return a.collected == b.collected && a.console == b.console && a.list == b.list;
}

Collected CollectWith(const std::filesystem::path& root, unsigned threads)
{
    CFileList list;
    testing::internal::CaptureStdout();
    const bool collected = CollectFiles(list, {testing_support::WidePath(root)}, testing_support::WidePath(root), false, false, threads);
    Collected result{collected, testing::internal::GetCapturedStdout(), ""};
    testing_support::TempDir out;
    EXPECT_TRUE(WriteFileList(list, testing_support::WidePath(out.Path() / "filelist.xml")));
    result.list = testing_support::ReadFileBytes(out.Path() / "filelist.xml");
    return result;
}

// Nested folders of small, empty and larger files, in no particular name order.
void MakeNestedTree(const std::filesystem::path& root, int files)
{
    for (int i = 0; i < files; ++i) {
        const auto folder = root / ("d" + std::to_string(i % 7)) / ("e" + std::to_string(i % 3));
        std::filesystem::create_directories(folder);
        const std::size_t size = i % 5 == 0 ? 0 : static_cast<std::size_t>(i * 997 % 200000);
        WriteFile(folder / ("f" + std::to_string((i * 7919) % 1000) + ".bin"), std::string(size, static_cast<char>(i)));
    }
}

}  // namespace

TEST(CollectFiles, SeveralWorkersListExactlyWhatOneDoes)
{
    testing_support::TempDir dir;
    MakeNestedTree(dir.Path(), 400);
    // Measured but not readable: listed with an empty digest.
    std::filesystem::create_symlink("/proc/self/mem", dir.Path() / "d3" / "unreadable");

    const Collected serial = CollectWith(dir.Path(), 1);
    ASSERT_TRUE(serial.collected);
    EXPECT_NE(serial.list.find("/d3/unreadable</FileName>\r\n<Md5/>"), std::string::npos);
    for (unsigned threads : {2u, 3u, 8u})
        EXPECT_TRUE(CollectWith(dir.Path(), threads) == serial) << threads;
}

TEST(CollectFiles, SeveralWorkersStopAtTheFirstFailureInWalkOrder)
{
    testing_support::TempDir dir;
    MakeNestedTree(dir.Path() / "a", 150);
    ASSERT_TRUE(MakeFileTooDeepToMeasure(dir.Path() / "b"));
    MakeNestedTree(dir.Path() / "c", 150);
    std::filesystem::create_directories(dir.Path() / "c" / "bad\x01name");

    // Which failure comes first depends on the order the folders are read in.
    const Collected serial = CollectWith(dir.Path(), 1);
    EXPECT_FALSE(serial.collected);
    const bool sizeFailure = serial.console.find("! ErrorCode: 36") != std::string::npos;
    const bool nameFailure = serial.console.find("文件名无法写入filelist.xml") != std::string::npos;
    EXPECT_NE(sizeFailure, nameFailure) << serial.console;
    for (unsigned threads : {2u, 8u})
        EXPECT_TRUE(CollectWith(dir.Path(), threads) == serial) << threads;
}

TEST(CollectFiles, FilesGrowingWhileReadKeepTheirPlace)
{
    testing_support::TempDir dir;
    MakeNestedTree(dir.Path(), 200);
    const auto growing = dir.Path() / "d2" / "growing.log";
    WriteFile(growing, "start");
    const Collected before = CollectWith(dir.Path(), 1);

    // Bounded, so a slow collect on a loaded machine cannot fill the disk.
    std::atomic<bool> done = false;
    std::thread writer([&] {
        std::ofstream out(growing, std::ios::binary | std::ios::app);
        for (int block = 0; !done && block < 16384; ++block)
            out << std::string(4096, 'g') << std::flush;
    });
    const Collected during = CollectWith(dir.Path(), 4);
    done = true;
    writer.join();

    ASSERT_TRUE(during.collected);
    // Only the growing file's own digest and size may differ.
    const auto withoutGrowing = [](const std::string& list) {
        const std::size_t at = list.find("/d2/growing.log</FileName>");
        return list.substr(0, at) + list.substr(list.find("</File>", at));
    };
    EXPECT_EQ(withoutGrowing(during.list), withoutGrowing(before.list));
}
