// The new version's file list under signed publishing (through
// tools/vexa-download-probe): with "update.pub" in the updater's folder only a list
// signed with its key is used, and nothing of the set is downloaded otherwise.
#include "platform/text.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/DownloadProbeTree.h"
#include "tests/support/NginxServer.h"
#include "tests/support/PublishedEntry.h"
#include "tests/support/TempDir.h"
#include "tests/support/VexaSign.h"
#include "vexa/install/FileList.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using testing_support::ReadFileBytes;
using testing_support::UpdaterPath;
using testing_support::WriteFileBytes;

std::string ListXml(const CFileList& list)
{
    testing_support::TempDir dir;
    const auto path = dir.Path() / "list.xml";
    EXPECT_TRUE(WriteFileList(list, platform::WideFromUtf8(path.string())));
    return ReadFileBytes(path);
}

class SignedFileListTest : public ::testing::Test {
protected:
    SignedFileListTest()
    {
        std::string url = server.BaseUrl();
        url.pop_back();
        const std::string config = "<vexa><DownloadUrl>" + url + "</DownloadUrl><ProductCode>MOX</ProductCode><CurVersion>";
        WriteFileBytes(probe.ModuleFile("vexa.xml"), config + "1.0</CurVersion></vexa>");
        std::filesystem::create_directories(probe.ModuleFile("tempDownload/1.1/vexa"));
        WriteFileBytes(probe.ModuleFile("tempDownload/vexa.xml"), config + "1.1</CurVersion></vexa>");
        WriteFileBytes(probe.ModuleFile("filelist.xml"), ListXml(CFileList()));

        for (const char* folder : {"mine", "other"}) {
            std::filesystem::create_directories(keys.Path() / folder);
            testing_support::RunVexaSign({"keygen", (keys.Path() / folder).string()});
        }
        std::filesystem::copy_file(keys.Path() / "mine/update.pub", probe.ModuleFile("update.pub"));

        CFileList list;
        list.Add(testing_support::PublishedEntry("/新/added.dat", "added"));
        server.Publish("MOX/1.1/新/added.dat", "added");
        server.Publish("MOX/1.1/vexa/filelist.xml", ListXml(list));
    }

    std::string PublishedList() const { return (server.SiteRoot() / "MOX/1.1/vexa/filelist.xml").string(); }
    void SignList(const std::string& keyFolder) { testing_support::RunVexaSign({"sign", (keys.Path() / keyFolder / "update.key").string(), PublishedList()}); }

    bool Refused()
    {
        const std::wstring newList = UpdaterPath(probe.ModuleFile("tempDownload/1.1/vexa/filelist.xml"));
        return probe.Run({"newlist"}) == 1 && probe.Logged(L"文件 " + newList + L" 的签名验证失败") &&
               probe.Logged(L"下载filelist.xml文件失败") &&
               !std::filesystem::exists(probe.ModuleFile("tempDownload/1.1/vexa/filelist.xml")) &&
               !std::filesystem::exists(probe.ModuleFile("tempDownload/1.1/vexa/filelist.xml.sig")) &&
               !std::filesystem::exists(probe.ModuleFile("tempDownload/1.1/新/added.dat"));
    }

    testing_support::NginxServer server;
    testing_support::DownloadProbeTree probe;
    testing_support::TempDir keys;
};

TEST_F(SignedFileListTest, SignedListIsUsed)
{
    SignList("mine");
    ASSERT_EQ(probe.Run({"newlist"}), 0);
    EXPECT_EQ(ReadFileBytes(probe.ModuleFile("tempDownload/1.1/新/added.dat")), "added");
    EXPECT_FALSE(std::filesystem::exists(probe.ModuleFile("tempDownload/1.1/vexa/filelist.xml.sig")));
}

TEST_F(SignedFileListTest, UnsignedListIsRefused)
{
    EXPECT_TRUE(Refused());
}

TEST_F(SignedFileListTest, ListSignedWithAnotherKeyIsRefused)
{
    SignList("other");
    EXPECT_TRUE(Refused());
}

TEST_F(SignedFileListTest, ListChangedAfterSigningIsRefused)
{
    SignList("mine");
    CFileList changed;
    changed.Add(testing_support::PublishedEntry("/新/added.dat", "evil"));
    server.Publish("MOX/1.1/vexa/filelist.xml", ListXml(changed));
    server.Publish("MOX/1.1/新/added.dat", "evil");
    EXPECT_TRUE(Refused());
}

}  // namespace
