// The publisher's tool run as the real updater (`vexa -g`) inside a client tree.
#include "platform/files.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ClientTree.h"
#include "tests/support/TempDir.h"
#include "tests/vexa/install/DeepFolders.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>

#include "vexa/install/FileList.h"
#include "vexa/install/Md5.h"

namespace {

using namespace std::chrono_literals;
using testing_support::ChildOptions;
using testing_support::ChildProcess;
using testing_support::ClientTree;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WidePath;
using testing_support::WriteFileBytes;

const std::string kStarting = "正在生成filelist.xml,请稍后...\n";
const std::string kDone = "生成filelist.xml文件全部成功!";
const std::string kQuestionBox =
    "{\"event\":\"messagebox\",\"title\":\"提示\",\"text\":\"发现已经存在filelist.xml文件，"
    "确定是否删除并生成新的filelist.xml文件\",\"style\":4097,\"answer\":\"";

class FileListToolTest : public ::testing::Test {
protected:
    // Runs the updater with the given switches; answers are the question box's script.
    std::string RunTool(std::vector<std::string> switches, const std::string& answers = "", int exitCode = 0)
    {
        WriteFileBytes(runtime.Path() / "answers.txt", answers);
        ChildOptions options;
        options.arguments = std::move(switches);
        options.environment = {{"XDG_RUNTIME_DIR", runtime.Path().string()},
                               {"VEXA_UI", "script"},
                               {"VEXA_UI_SCRIPT", (runtime.Path() / "answers.txt").string()},
                               {"VEXA_UI_LOG", Transcript().string()}};
        ChildProcess vexa(tree.Program().string(), options);
        EXPECT_TRUE(vexa.Wait(60s));
        EXPECT_EQ(vexa.ExitCode(), exitCode);
        return vexa.Stdout();
    }

    std::filesystem::path Transcript() const { return runtime.Path() / "ui.jsonl"; }
    std::filesystem::path Output() const { return tree.ModuleFolder() / "filelist.xml"; }

    std::set<std::wstring> ListedNames() const { return ListedNames(Output()); }
    static std::set<std::wstring> ListedNames(const std::filesystem::path& listFile)
    {
        CFileList list;
        ReadFileList(WidePath(listFile), list);
        std::set<std::wstring> names;
        for (const CFileListInfo& entry : list)
            names.insert(entry.GetFileName());
        EXPECT_EQ(names.size(), list.GetCount());
        return names;
    }

    void AddClientFiles()
    {
        std::filesystem::create_directories(tree.Root() / "data" / "maps");
        WriteFileBytes(tree.Root() / "mox.exe", "client");
        WriteFileBytes(tree.Root() / "data" / "maps" / "a&b.map", std::string(3000, 'm'));
        WriteFileBytes(tree.ModuleFolder() / "libcurl.dll", "curl");
    }

    TempDir runtime;
    ClientTree tree{VEXA_BINARY};
};

}  // namespace

TEST_F(FileListToolTest, ListsTheWholeTreeWithDigestsAndReportsEachFile)
{
    AddClientFiles();
    const std::string out = RunTool({"-g"});

    const std::wstring program = L"/vexa/" + WidePath(tree.Program().filename());
    EXPECT_EQ(ListedNames(), (std::set<std::wstring>{L"/mox.exe", L"/data/maps/a&b.map", L"/vexa/libcurl.dll", program}));
    CFileList list;
    ReadFileList(WidePath(Output()), list);
    for (const CFileListInfo& entry : list) {
        const auto path = WidePath(tree.Root()) + entry.GetFileName();
        EXPECT_EQ(entry.GetMd5(), FileMd5Hex(path));
        EXPECT_EQ(entry.GetSize(), static_cast<std::int64_t>(std::filesystem::file_size(platform::NativePath(path))));
    }

    ASSERT_EQ(out.rfind(kStarting, 0), 0u);
    EXPECT_TRUE(out.ends_with(kDone));
    for (const char* file : {"/mox.exe", "/data/maps/a&b.map", "/vexa/libcurl.dll"})
        EXPECT_NE(out.find(tree.Root().string() + file + " 生成成功!\n"), std::string::npos) << file;
    EXPECT_FALSE(std::filesystem::exists(Transcript())) << "no list existed, so nothing was asked";
}

TEST_F(FileListToolTest, SkipSwitchLeavesTheUpdatersFolderOut)
{
    AddClientFiles();
    // A folder elsewhere that merely shares the updater folder's name is kept.
    std::filesystem::create_directories(tree.Root() / "data" / "vexa");
    WriteFileBytes(tree.Root() / "data" / "vexa" / "keep.txt", "k");
    RunTool({"-g", "-s", "-q"});
    EXPECT_EQ(ListedNames(), (std::set<std::wstring>{L"/mox.exe", L"/data/maps/a&b.map", L"/data/vexa/keep.txt"}));
}

TEST_F(FileListToolTest, AFolderGivenIsListedInsteadOfTheUpdatersOwnTree)
{
    AddClientFiles();
    // A release being prepared elsewhere, named with a dash and a space.
    TempDir elsewhere;
    const std::filesystem::path release = elsewhere.Path() / "mox-1.1 new";
    std::filesystem::create_directories(release / "vexa");
    std::filesystem::create_directories(release / "data");
    WriteFileBytes(release / "mox.exe", "client 1.1");
    WriteFileBytes(release / "data" / "map.txt", "map");
    WriteFileBytes(release / "vexa" / "vexa", "updater 1.1");
    WriteFileBytes(release / "vexa" / "filelist.xml", "old list");

    const std::string out = RunTool({"-g", "-s", "-f", release.string() + "/"});
    EXPECT_NE(out.find((release / "data" / "map.txt").string() + " 生成成功!\n"), std::string::npos) << out;
    EXPECT_TRUE(out.ends_with(kDone)) << out;
    EXPECT_FALSE(std::filesystem::exists(Output())) << "the updater's own tree is left alone";
    const std::filesystem::path written = release / "vexa" / "filelist.xml";
    EXPECT_EQ(ListedNames(written), (std::set<std::wstring>{L"/mox.exe", L"/data/map.txt"}));
    CFileList list;
    ReadFileList(WidePath(written), list);
    const CFileListInfo* client = list.Find(L"/mox.exe");
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(client->GetMd5(), FileMd5Hex(WidePath(release / "mox.exe")));

    // Without -s the tree's updater folder is listed, never the list being written.
    RunTool({"-g", "-q", "-f", release.string()});
    EXPECT_EQ(ListedNames(written), (std::set<std::wstring>{L"/mox.exe", L"/data/map.txt", L"/vexa/vexa"}));
}

TEST_F(FileListToolTest, HiddenEntriesAndLinkLoopsAreLeftOut)
{
    AddClientFiles();
    std::filesystem::create_directories(tree.Root() / ".svn" / "inner");
    WriteFileBytes(tree.Root() / ".svn" / "inner" / "entries", "x");
    WriteFileBytes(tree.Root() / "data" / ".DS_Store", "x");
    std::filesystem::create_directory_symlink("../..", tree.Root() / "data" / "maps" / "back-to-root");
    RunTool({"-g", "-s", "-q"});
    EXPECT_EQ(ListedNames(), (std::set<std::wstring>{L"/mox.exe", L"/data/maps/a&b.map"}));
}

TEST_F(FileListToolTest, QuietPrintsNothing)
{
    AddClientFiles();
    EXPECT_EQ(RunTool({"-q", "-g"}), "");
    EXPECT_EQ(ListedNames().size(), 4u);
}

TEST_F(FileListToolTest, CancelKeepsTheExistingListUntouched)
{
    AddClientFiles();
    WriteFileBytes(Output(), "old list");
    EXPECT_EQ(RunTool({"-g"}, "cancel\n"), kStarting);
    EXPECT_EQ(ReadFileBytes(Output()), "old list");
    EXPECT_EQ(ReadFileBytes(Transcript()), kQuestionBox + "cancel\",\"owner\":0}\n");
}

TEST_F(FileListToolTest, OkReplacesTheExistingListAndQuietDoesNotSilenceTheQuestion)
{
    AddClientFiles();
    WriteFileBytes(Output(), "old list");
    EXPECT_EQ(RunTool({"-g", "-q", "-s"}, "ok\n"), "");
    EXPECT_EQ(ReadFileBytes(Transcript()), kQuestionBox + "ok\",\"owner\":0}\n");
    EXPECT_EQ(ListedNames(), (std::set<std::wstring>{L"/mox.exe", L"/data/maps/a&b.map"}));
}

TEST_F(FileListToolTest, ForceReplacesWithoutAsking)
{
    AddClientFiles();
    WriteFileBytes(Output(), "old list");
    RunTool({"-g", "-f", "-q"}, "cancel\n");
    EXPECT_FALSE(std::filesystem::exists(Transcript()));
    EXPECT_EQ(ListedNames().size(), 4u) << "the old list itself is never listed";
}

TEST_F(FileListToolTest, AnEmptyTreeGivesAnEmptyFileList)
{
    RunTool({"-g", "-s"});
    EXPECT_EQ(ReadFileBytes(Output()),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" ?> \n<Root>\r\n<FileList/>\r\n</Root>\r\n");
}

TEST_F(FileListToolTest, AListThatCannotBeSavedIsReported)
{
    AddClientFiles();
    // The temporary file's place is taken by a folder (hidden, so never listed).
    std::filesystem::create_directory(tree.ModuleFolder() / ".filelist.xml.new");
    const std::string out = RunTool({"-g", "-s"}, "", 1);
    EXPECT_TRUE(out.ends_with("保存filelist.xml文件失败!")) << out;
    EXPECT_FALSE(std::filesystem::exists(Output()));
}

TEST_F(FileListToolTest, AFailedGenerationKeepsTheOldListAndExitsNonZero)
{
    AddClientFiles();
    WriteFileBytes(Output(), "old list");
    ASSERT_TRUE(MakeFoldersTooDeepToOpen(tree.Root() / "data"));
    const std::string out = RunTool({"-g", "-f"}, "", 1);
    EXPECT_NE(out.find("无法读取文件夹: " + (tree.Root() / "data").string()), std::string::npos) << out;
    EXPECT_TRUE(out.ends_with("! ErrorCode: 36\n生成失败!")) << out;
    EXPECT_EQ(ReadFileBytes(Output()), "old list");
}

