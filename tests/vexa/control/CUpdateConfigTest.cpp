#include "platform/text.h"
#include "tests/support/ClientTree.h"
#include "tests/support/TempDir.h"
#include "vexa/control/CUpdateConfig.h"

#include <gtest/gtest.h>

namespace {

using testing_support::TempDir;
using testing_support::WriteFileBytes;

class CUpdateConfigTest : public ::testing::Test {
protected:
    std::wstring PathOf(const char* name) const { return platform::WideFromUtf8((dir.Path() / name).string()); }

    TempDir dir;
    CUpdateConfig config{PathOf("local.xml"), PathOf("downloaded.xml")};
};

TEST_F(CUpdateConfigTest, DefaultsPointAtTheLoopbackUpdateSite)
{
    EXPECT_EQ(config.GetConfigUrl(), L"http://127.0.0.1:80/MOXUpdate/MOX/vexa.xml");
    EXPECT_EQ(config.GetFilesBaseUrl(), L"http://127.0.0.1:80/MOXUpdate/MOX/1.0.0");
    EXPECT_EQ(config.GetInstalledStartExecute(), L"mox.exe");
    EXPECT_EQ(config.GetUpdateMethod(), METHOD_INVALID);
}

TEST_F(CUpdateConfigTest, EachValueComesFromItsOwnCopy)
{
    WriteFileBytes(dir.Path() / "local.xml",
                   "<v><SelfUrl>http://self/up/</SelfUrl><ProductCode>OLD</ProductCode><CurVersion>1.0.0</CurVersion>"
                   "<StartExecute>old.exe</StartExecute><DownloadUrl>http://wrong</DownloadUrl></v>");
    WriteFileBytes(dir.Path() / "downloaded.xml",
                   "<v><SelfUrl>http://wrong</SelfUrl><ProductCode>NEW</ProductCode><CurVersion>2.1.0</CurVersion>"
                   "<StartExecute>new.exe</StartExecute><DownloadUrl>http://files/dl</DownloadUrl>"
                   "<MinVersion>1.5.0</MinVersion><UpdateMethod>Installer</UpdateMethod></v>");

    EXPECT_EQ(config.GetConfigUrl(), L"http://self/up//OLD/vexa.xml");
    EXPECT_EQ(config.GetInstalledVersion(), L"1.0.0");
    EXPECT_EQ(config.GetInstalledStartExecute(), L"old.exe");
    EXPECT_EQ(config.GetNewVersion(), L"2.1.0");
    EXPECT_EQ(config.GetMinVersion(), L"1.5.0");
    EXPECT_EQ(config.GetNewStartExecute(), L"new.exe");
    EXPECT_EQ(config.GetNewProductCode(), L"NEW");
    EXPECT_EQ(config.GetUpdateMethod(), METHOD_INSTALLER);
    EXPECT_EQ(config.GetFilesBaseUrl(), L"http://files/dl/NEW/2.1.0");
    EXPECT_EQ(config.GetNewFileListUrl(), L"http://files/dl/NEW/2.1.0/vexa/filelist.xml");
    EXPECT_EQ(config.GetInstallerUrl(), L"http://files/dl/NEW/2.1.0/NEWInstaller.exe");
    EXPECT_EQ(config.GetConfigPublishedPath(), L"OLD/vexa.xml");
    EXPECT_EQ(config.GetNewFileListPublishedPath(), L"NEW/2.1.0/vexa/filelist.xml");
    EXPECT_EQ(config.GetInstallerPublishedPath(), L"NEW/2.1.0/NEWInstaller.exe");
}

// The signed paths stay as published; each URL segment is percent-encoded as UTF-8.
TEST_F(CUpdateConfigTest, UrlsEncodeWhatThePublishedPathsHold)
{
    WriteFileBytes(dir.Path() / "local.xml", "<v><SelfUrl>http://self</SelfUrl><ProductCode>游戏 #1</ProductCode></v>");
    WriteFileBytes(dir.Path() / "downloaded.xml",
                   "<v><ProductCode>a~b_c-d</ProductCode><CurVersion>1.2.3b?x%</CurVersion><DownloadUrl>http://dl</DownloadUrl></v>");
    EXPECT_EQ(config.GetConfigPublishedPath(), L"游戏 #1/vexa.xml");
    EXPECT_EQ(config.GetConfigUrl(), L"http://self/%E6%B8%B8%E6%88%8F%20%231/vexa.xml");
    EXPECT_EQ(config.GetNewFileListPublishedPath(), L"a~b_c-d/1.2.3b?x%/vexa/filelist.xml");
    EXPECT_EQ(config.GetNewFileListUrl(), L"http://dl/a~b_c-d/1.2.3b%3Fx%25/vexa/filelist.xml");
}

TEST_F(CUpdateConfigTest, ValuesFollowTheFilesWithoutCaching)
{
    WriteFileBytes(dir.Path() / "downloaded.xml", "<v><CurVersion>1.1.0</CurVersion></v>");
    EXPECT_EQ(config.GetNewVersion(), L"1.1.0");
    EXPECT_TRUE(config.GetVersionDownloadFolder().ends_with(L"/tempDownload/1.1.0/"));
    WriteFileBytes(dir.Path() / "downloaded.xml", "<v><CurVersion>1.2.0</CurVersion></v>");
    EXPECT_EQ(config.GetNewVersion(), L"1.2.0");
    EXPECT_TRUE(config.GetNewFileListPath().ends_with(L"/tempDownload/1.2.0/vexa/filelist.xml"));
}

}  // namespace
