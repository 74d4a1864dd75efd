// The download set of a client tree (through tools/vexa-download-probe): which
// files of the new list are fetched, the download info file, and the refusal of
// names that would leave the download folder. The new list comes from nginx.
#include "platform/text.h"
#include "tests/support/DownloadProbeTree.h"
#include "tests/support/NginxServer.h"
#include "tests/support/PublishedEntry.h"
#include "vexa/install/FileList.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <filesystem>

namespace {

using testing_support::DownloadProbeTree;
using testing_support::NginxServer;
using testing_support::PatternBytes;
using testing_support::PublishedEntry;
using testing_support::ReadFileBytes;
using testing_support::UpdaterPath;
using testing_support::WriteFileBytes;

std::string Config(const std::string& url, const std::string& version)
{
    return "<vexa><SelfUrl>" + url + "</SelfUrl><DownloadUrl>" + url + "</DownloadUrl><ProductCode>MOX</ProductCode>"
           "<CurVersion>" + version + "</CurVersion></vexa>";
}

std::string ListXml(const CFileList& list)
{
    testing_support::TempDir dir;
    const auto path = dir.Path() / "list.xml";
    EXPECT_TRUE(WriteFileList(list, platform::WideFromUtf8(path.string())));
    return ReadFileBytes(path);
}

class DownloadSetTest : public ::testing::Test {
protected:
    DownloadSetTest()
    {
        std::string url = server.BaseUrl();
        url.pop_back();  // the reader adds the '/'
        WriteFileBytes(probe.ModuleFile("vexa.xml"), Config(url, "1.0"));
        std::filesystem::create_directories(probe.ModuleFile("tempDownload/1.1/vexa"));
        WriteFileBytes(probe.ModuleFile("tempDownload/vexa.xml"), Config(url, "1.1"));
    }

    void Install(const CFileList& list) { WriteFileBytes(probe.ModuleFile("filelist.xml"), ListXml(list)); }
    // The new list as a file in place, as if downloaded.
    void PlaceNew(const std::string& xml) { WriteFileBytes(probe.ModuleFile(kNewList), xml); }

    // Publishes the new version: each file and the list naming them.
    void PublishNew(const std::vector<std::pair<std::string, std::string>>& files)
    {
        CFileList list;
        for (const auto& [name, bytes] : files) {
            server.Publish("MOX/1.1" + name, bytes);
            list.Add(PublishedEntry(name, bytes));
        }
        server.Publish("MOX/1.1/vexa/filelist.xml", ListXml(list));
    }

    const std::string kNewList = "tempDownload/1.1/vexa/filelist.xml";
    NginxServer server;
    DownloadProbeTree probe;
};

CFileList ListOf(const std::vector<CFileListInfo>& entries)
{
    CFileList list;
    for (const auto& entry : entries)
        list.Add(entry);
    return list;
}

TEST_F(DownloadSetTest, SetHoldsNewAndChangedFilesInTheNewListsOrder)
{
    CFileListInfo caseOnly = PublishedEntry("/same.dat", "same");
    std::wstring upper = caseOnly.GetMd5();
    for (auto& c : upper)
        c = static_cast<wchar_t>(std::towupper(c));
    Install(ListOf({PublishedEntry("/Changed.dat", "old"), PublishedEntry("/SAME.DAT", "same"),
                    PublishedEntry("/gone.dat", "removed in the new version")}));
    caseOnly.SetMd5(upper);
    PlaceNew(ListXml(ListOf({PublishedEntry("/z-new.dat", "new"), caseOnly, PublishedEntry("/changed.dat", "new"),
                             PublishedEntry("/a-new.dat", "new")})));

    ASSERT_EQ(probe.Run({"set"}), 0);
    EXPECT_EQ(probe.Output(), "/z-new.dat\n/changed.dat\n/a-new.dat\n");
}

TEST_F(DownloadSetTest, IllFormedInstalledListFetchesEverything)
{
    WriteFileBytes(probe.ModuleFile("filelist.xml"), "<Root><FileList><File>");
    PlaceNew(ListXml(ListOf({PublishedEntry("/a.dat", "a"), PublishedEntry("/b.dat", "b")})));
    ASSERT_EQ(probe.Run({"set"}), 0);
    EXPECT_EQ(probe.Output(), "/a.dat\n/b.dat\n");
}

TEST_F(DownloadSetTest, MissingOrUnloadableListsFailWithTheirPaths)
{
    PlaceNew(ListXml(ListOf({PublishedEntry("/a.dat", "a")})));
    EXPECT_EQ(probe.Run({"set"}), 1);
    EXPECT_TRUE(
        probe.Logged(L"无法找到当前版本的filelist.xml文件: " + UpdaterPath(probe.ModuleFile("filelist.xml"))));

    Install(ListOf({}));
    PlaceNew("<Root><FileList>");
    EXPECT_EQ(probe.Run({"set"}), 1);
    EXPECT_TRUE(probe.Logged(L"无法加载文件" + UpdaterPath(probe.ModuleFile(kNewList))));
}

TEST_F(DownloadSetTest, NamesThatLeaveTheDownloadFolderFailTheWholeSet)
{
    Install(ListOf({}));
    for (const std::string name : {"/../../outside.dat", "relative.dat", "/a//b.dat", "/a/./b.dat", "/a\\b.dat",
                                   "/a\x01.dat", "/folder/"}) {
        PlaceNew(ListXml(ListOf({PublishedEntry("/fine.dat", "fine"), PublishedEntry(name, "x")})));
        EXPECT_EQ(probe.Run({"set"}), 1) << name;
        EXPECT_EQ(probe.Output(), "") << name;
        // Clean entries after it must not make the set forget it.
        PlaceNew(ListXml(ListOf({PublishedEntry(name, "x"), PublishedEntry("/fine.dat", "fine"),
                                 PublishedEntry("/later.dat", "later")})));
        EXPECT_EQ(probe.Run({"set"}), 1) << name << " first";
        EXPECT_EQ(probe.Output(), "") << name << " first";
    }
    EXPECT_TRUE(probe.Logged(L"文件名不合法: /../../outside.dat"));
}

TEST_F(DownloadSetTest, NewListIsFetchedThenTheSetSavedAndDownloaded)
{
    Install(ListOf({PublishedEntry("/kept.dat", "kept"), PublishedEntry("/data/changed.dat", "old")}));
    PublishNew({{"/kept.dat", "kept"}, {"/data/changed.dat", PatternBytes(5000)}, {"/新/added.dat", "added"}});

    ASSERT_EQ(probe.Run({"newlist"}), 0);
    CFileList info;
    ReadFileList(platform::WideFromUtf8(probe.InModule("temp_downloadInfo.xml")), info);
    ASSERT_EQ(info.GetCount(), 2u);
    EXPECT_EQ(info[0].GetFileName(), L"/data/changed.dat");
    EXPECT_EQ(info[1].GetFileName(), L"/新/added.dat");
    EXPECT_EQ(ReadFileBytes(probe.ModuleFile("tempDownload/1.1/data/changed.dat")), PatternBytes(5000));
    EXPECT_EQ(ReadFileBytes(probe.ModuleFile("tempDownload/1.1/新/added.dat")), "added");
    EXPECT_FALSE(std::filesystem::exists(probe.ModuleFile("tempDownload/1.1/kept.dat")));
}

TEST_F(DownloadSetTest, UnchangedVersionIsAnError)
{
    Install(ListOf({PublishedEntry("/a.dat", "a")}));
    PublishNew({{"/a.dat", "a"}});
    EXPECT_EQ(probe.Run({"newlist"}), 1);
    EXPECT_TRUE(probe.Logged(L"版本升级，但没有文件需要下载，导致安装时出错"));
}

TEST_F(DownloadSetTest, TraversalNameDownloadsNothing)
{
    Install(ListOf({}));
    server.Publish("MOX/1.1/vexa/filelist.xml",
                   ListXml(ListOf({PublishedEntry("/ok.dat", "ok"), PublishedEntry("/../../../escaped.dat", "x")})));
    server.Publish("MOX/1.1/ok.dat", "ok");

    EXPECT_EQ(probe.Run({"newlist"}), 1);
    EXPECT_TRUE(probe.Logged(L"无法获取下载文件信息"));
    EXPECT_EQ(server.AccessLog(), "GET /MOX/1.1/vexa/filelist.xml HTTP/1.1 200 range=-\n");
    EXPECT_FALSE(std::filesystem::exists(probe.Tree().Root() / "escaped.dat"));
    EXPECT_FALSE(std::filesystem::exists(probe.ModuleFile("temp_downloadInfo.xml")));
}

TEST_F(DownloadSetTest, StaleNewListIsDeletedBeforeTheDownload)
{
    Install(ListOf({}));
    PlaceNew(ListXml(ListOf({PublishedEntry("/stale.dat", "stale")})));
    EXPECT_EQ(probe.Run({"newlist"}), 1);  // nothing published: 404
    EXPECT_TRUE(probe.Logged(L"下载filelist.xml文件失败"));
    EXPECT_EQ(ReadFileBytes(probe.ModuleFile(kNewList)), "");
}

}  // namespace
