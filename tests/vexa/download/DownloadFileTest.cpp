#include "platform/text.h"
#include "tests/support/NginxServer.h"
#include "tests/support/TempDir.h"
#include "vexa/download/DownloadFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

using testing_support::NginxServer;
using testing_support::TempDir;
using testing_support::Utf8Path;

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string Pattern(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>('a' + i % 26);
    return bytes;
}

class DownloadFileTest : public ::testing::Test {
protected:
    std::wstring Url(const std::string& relative) const { return platform::WideFromUtf8(server.BaseUrl() + relative); }
    std::wstring Local(const std::string& relative) const
    {
        return platform::WideFromUtf8((local.Path() / Utf8Path(relative)).string());
    }

    NginxServer server;
    TempDir local;
};

TEST_F(DownloadFileTest, FetchesWholeFileIntoFoldersItCreates)
{
    server.Publish("MOX/vexa.xml", "<vexa><CurVersion>1.0.1</CurVersion></vexa>");
    ASSERT_TRUE(DownloadFile(Url("MOX/vexa.xml"), Local("tempDownload/deep/vexa.xml"), false));
    EXPECT_EQ(ReadAll(local.Path() / "tempDownload/deep/vexa.xml"), "<vexa><CurVersion>1.0.1</CurVersion></vexa>");
    EXPECT_NE(server.AccessLog().find("GET /MOX/vexa.xml HTTP/1.1 200 range=-"), std::string::npos);
}

TEST_F(DownloadFileTest, NonEmptyLocalFileIsResumedWithARange)
{
    const std::string content = Pattern(1000);
    server.Publish("pkg/installer.bin", content);
    std::ofstream(local.Path() / "installer.bin", std::ios::binary) << content.substr(0, 300);

    ASSERT_TRUE(DownloadFile(Url("pkg/installer.bin"), Local("installer.bin"), false));
    EXPECT_EQ(ReadAll(local.Path() / "installer.bin"), content);
    EXPECT_NE(server.AccessLog().find("GET /pkg/installer.bin HTTP/1.1 206 range=bytes=300-"), std::string::npos);
}

TEST_F(DownloadFileTest, EmptyLocalFileIsFetchedWithoutRange)
{
    server.Publish("a.bin", Pattern(50));
    std::ofstream(local.Path() / "a.bin").close();
    ASSERT_TRUE(DownloadFile(Url("a.bin"), Local("a.bin"), false));
    EXPECT_EQ(ReadAll(local.Path() / "a.bin"), Pattern(50));
    EXPECT_NE(server.AccessLog().find("GET /a.bin HTTP/1.1 200 range=-"), std::string::npos);
}

TEST_F(DownloadFileTest, ErrorAnswersFailAndLeaveAPartialFileAsItWas)
{
    EXPECT_FALSE(DownloadFile(Url("missing.xml"), Local("missing.xml"), false));
    EXPECT_EQ(ReadAll(local.Path() / "missing.xml"), "");

    // A folder without an index answers 403: its page must not land in the file.
    std::filesystem::create_directories(server.SiteRoot() / "closed");
    std::ofstream(local.Path() / "closed.bin", std::ios::binary) << "abc";
    EXPECT_FALSE(DownloadFile(Url("closed/"), Local("closed.bin"), false));
    EXPECT_EQ(ReadAll(local.Path() / "closed.bin"), "abc");
}

TEST_F(DownloadFileTest, RedirectIsFollowed)
{
    // nginx answers a folder named without its slash with 301 to the folder.
    server.Publish("pkg/index.html", "page");
    ASSERT_TRUE(DownloadFile(Url("pkg"), Local("page.html"), false));
    EXPECT_EQ(ReadAll(local.Path() / "page.html"), "page");
    EXPECT_NE(server.AccessLog().find("GET /pkg HTTP/1.1 301"), std::string::npos);
}

TEST_F(DownloadFileTest, BodyBeyondTheSizeCapFailsTheDownload)
{
    server.Publish("big.xml", Pattern(5000));
    EXPECT_FALSE(DownloadFile(Url("big.xml"), Local("big.xml"), false, 4096));
    EXPECT_LE(ReadAll(local.Path() / "big.xml").size(), 4096u);
    EXPECT_TRUE(DownloadFile(Url("big.xml"), Local("fits.xml"), false, 5000));
}

TEST_F(DownloadFileTest, UnreachableServerFailsAndLeavesThePartialFile)
{
    std::ofstream(local.Path() / "part.bin", std::ios::binary) << "abc";
    const std::wstring url = L"http://127.0.0.1:" + std::to_wstring(testing_support::FreeLoopbackPort()) + L"/x";
    EXPECT_FALSE(DownloadFile(url, Local("part.bin"), false));
    EXPECT_EQ(ReadAll(local.Path() / "part.bin"), "abc");
}

// "中" is three bytes in UTF-8, so the limit is checked on the UTF-8 form, not the wide one.
std::string PaddedPath(const std::string& base, std::size_t urlBytes)
{
    std::string path = "中" + std::string(200, 'x') + "/" + std::string(200, 'z') + "/";
    return path + std::string(urlBytes - base.size() - path.size(), 'y');
}

TEST_F(DownloadFileTest, UrlOf510Utf8BytesIsFetchedAnd511BytesNeverLeaves)
{
    const std::string fits = PaddedPath(server.BaseUrl(), 510);
    const std::string tooLong = PaddedPath(server.BaseUrl(), 511);
    server.Publish(fits, "payload");
    server.Publish(tooLong, "payload");

    EXPECT_TRUE(DownloadFile(Url(fits), Local("fits.bin"), false));
    EXPECT_EQ(ReadAll(local.Path() / "fits.bin"), "payload");
    EXPECT_FALSE(DownloadFile(Url(tooLong), Local("long.bin"), false));
    EXPECT_EQ(server.AccessLog().find(tooLong.substr(tooLong.find('/')) + " "), std::string::npos);
}

TEST_F(DownloadFileTest, NonAsciiPathsTravelAsUtf8)
{
    server.Publish("产品/版本.txt", "内容");
    ASSERT_TRUE(DownloadFile(Url("产品/版本.txt"), Local("下载/版本.txt"), false));
    EXPECT_EQ(ReadAll(local.Path() / Utf8Path("下载/版本.txt")), "内容");
}

}  // namespace
