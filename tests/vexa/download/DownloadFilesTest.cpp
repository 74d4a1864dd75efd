// DownloadFiles in a client tree (through tools/vexa-download-probe) against nginx.
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
using testing_support::Utf8Path;
using testing_support::WidePath;
using testing_support::WriteFileBytes;

class DownloadFilesTest : public ::testing::Test {
protected:
    // Publishes the file under "MOX/1.1/" and adds its entry to the list.
    void Publish(const std::string& name, const std::string& bytes)
    {
        server.Publish("MOX/1.1" + name, bytes);
        list.Add(PublishedEntry(name, bytes));
    }

    int Download()
    {
        const std::string listPath = probe.InModule("list.xml");
        EXPECT_TRUE(WriteFileList(list, platform::WideFromUtf8(listPath)));
        return probe.Run({"files", listPath, server.BaseUrl() + "MOX/1.1", Local("").string()});
    }

    // A UTF-8 path alone would be taken in the system's code page on Windows.
    std::filesystem::path Local(const std::string& name) const
    {
        return Utf8Path(probe.InModule("tempDownload/1.1") + name);
    }
    std::wstring LocalWide(const std::string& name) const { return WidePath(Local(name)); }

    NginxServer server;
    DownloadProbeTree probe;
    CFileList list;
};

TEST_F(DownloadFilesTest, FetchesEveryFileIntoItsFolderAndLogsEachStep)
{
    Publish("/mox.exe", PatternBytes(3000, 'a'));
    Publish("/data/地图/一.pak", PatternBytes(10000, 'b'));
    Publish("/data/empty.txt", "");

    ASSERT_EQ(Download(), 0);
    EXPECT_EQ(ReadFileBytes(Local("/mox.exe")), PatternBytes(3000, 'a'));
    EXPECT_EQ(ReadFileBytes(Local("/data/地图/一.pak")), PatternBytes(10000, 'b'));
    EXPECT_TRUE(std::filesystem::exists(Local("/data/empty.txt")));
    EXPECT_TRUE(probe.Logged(L"共有 3 个文件要下载..."));
    EXPECT_TRUE(probe.Logged(L"正在下载文件 /data/地图/一.pak ..."));
    EXPECT_TRUE(probe.Logged(L"文件 " + LocalWide("/data/地图/一.pak") + L" 下载成功"));
    // A file of size 0 is already "at its size": only its digest is checked.
    EXPECT_TRUE(probe.Logged(L"文件: " + LocalWide("/data/empty.txt") + L"已存在,不需要下载!"));
}

TEST_F(DownloadFilesTest, PartialFileIsResumedAndAnEmptyOneFetchedWhole)
{
    const std::string whole = PatternBytes(1000);
    Publish("/a.bin", whole);
    Publish("/b.bin", whole);
    std::filesystem::create_directories(Local(""));
    WriteFileBytes(Local("/a.bin"), whole.substr(0, 300));
    WriteFileBytes(Local("/b.bin"), "");

    ASSERT_EQ(Download(), 0);
    EXPECT_EQ(ReadFileBytes(Local("/a.bin")), whole);
    EXPECT_EQ(ReadFileBytes(Local("/b.bin")), whole);
    const std::string log = server.AccessLog();
    EXPECT_NE(log.find("GET /MOX/1.1/a.bin HTTP/1.1 206 range=bytes=300-"), std::string::npos);
    EXPECT_NE(log.find("GET /MOX/1.1/b.bin HTTP/1.1 200 range=-"), std::string::npos);
}

TEST_F(DownloadFilesTest, FileAtItsSizeIsOnlyCheckedAndDeletedWhenItsDigestDiffers)
{
    Publish("/good.bin", PatternBytes(500, 'c'));
    Publish("/bad.bin", PatternBytes(500, 'd'));
    std::filesystem::create_directories(Local(""));
    WriteFileBytes(Local("/good.bin"), PatternBytes(500, 'c'));
    WriteFileBytes(Local("/bad.bin"), PatternBytes(500, 'e'));

    EXPECT_EQ(Download(), 1);
    EXPECT_EQ(server.AccessLog(), "");
    EXPECT_FALSE(std::filesystem::exists(Local("/bad.bin")));
    const CFileListInfo bad = PublishedEntry("/bad.bin", PatternBytes(500, 'd'));
    const CFileListInfo wrong = PublishedEntry("/bad.bin", PatternBytes(500, 'e'));
    EXPECT_TRUE(probe.Logged(L"文件 " + LocalWide("/bad.bin") + L" 下载失败。OriMd5:" + bad.GetMd5() +
                             L", NewMd5:" + wrong.GetMd5()));
}

// Large files are digested on a second thread beside their transfer; the thread
// serves one file after the other, and a wrong file is still caught with its digest.
TEST_F(DownloadFilesTest, LargeFilesAreDigestedBesideTheirTransfer)
{
    const std::string first = PatternBytes(9u << 20, 'f');
    const std::string second = PatternBytes((9u << 20) + 12345, 's');
    Publish("/first.pak", first);
    Publish("/second.pak", second);
    server.Publish("MOX/1.1/third.pak", first);
    list.Add(PublishedEntry("/third.pak", second.substr(0, first.size())));

    EXPECT_EQ(Download(), 1);
    EXPECT_EQ(ReadFileBytes(Local("/first.pak")), first);
    EXPECT_EQ(ReadFileBytes(Local("/second.pak")), second);
    const CFileListInfo expected = PublishedEntry("/third.pak", second.substr(0, first.size()));
    const CFileListInfo fetched = PublishedEntry("/third.pak", first);
    EXPECT_TRUE(probe.Logged(L"文件 " + LocalWide("/third.pak") + L" 下载失败。OriMd5:" + expected.GetMd5() +
                             L", NewMd5:" + fetched.GetMd5()));
}

TEST_F(DownloadFilesTest, DigestIsComparedIgnoringCase)
{
    CFileListInfo entry = PublishedEntry("/upper.bin", "bytes");
    std::wstring upper = entry.GetMd5();
    for (auto& c : upper)
        c = static_cast<wchar_t>(std::towupper(c));
    entry.SetMd5(upper);
    server.Publish("MOX/1.1/upper.bin", "bytes");
    list.Add(entry);
    EXPECT_EQ(Download(), 0);
}

TEST_F(DownloadFilesTest, MissingFileStopsTheSetWithItsUrl)
{
    Publish("/first.bin", "first");
    list.Add(PublishedEntry("/missing.bin", "never published"));
    Publish("/last.bin", "last");

    EXPECT_EQ(Download(), 1);
    EXPECT_TRUE(probe.Logged(L"url所指文件路径错误或不存在, url: " +
                             platform::WideFromUtf8(server.BaseUrl()) + L"MOX/1.1/missing.bin"));
    EXPECT_EQ(ReadFileBytes(Local("/missing.bin")), "");
    EXPECT_FALSE(std::filesystem::exists(Local("/last.bin")));
}

TEST_F(DownloadFilesTest, UrlTooLongForItsBufferIsLoggedWithLibcurlsCode)
{
    const std::string component(200, 'x');
    list.Add(PublishedEntry("/" + component + "/" + component + "/" + component, "x"));
    EXPECT_EQ(Download(), 1);
    EXPECT_TRUE(probe.Logged(L"下载文件失败, errcode: 3"));  // CURLE_URL_MALFORMAT
}

}  // namespace
