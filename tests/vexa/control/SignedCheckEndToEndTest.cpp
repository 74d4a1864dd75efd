// The check with signed publishing: "update.pub" in the updater's folder, the
// publisher's files signed with the real vexa-sign, nginx over TLS with the tests'
// own certificate authority.
#include "tests/support/TestCertificateAuthority.h"
#include "tests/support/VexaSign.h"
#include "tests/vexa/control/CheckModeFixture.h"

namespace {

using namespace check_mode_testing;
using testing_support::RunVexaSign;
using testing_support::TestCertificateAuthority;

class SignedCheckTest : public CheckModeTest {
protected:
    void SetUp() override
    {
        CheckModeTest::SetUp();
        RunVexaSign({"keygen", publisher.Path().string()});
        std::filesystem::create_directories(publisher.Path() / "other");
        RunVexaSign({"keygen", (publisher.Path() / "other").string()});
    }

    std::string TlsSelfUrl() const { return tlsServer.BaseUrl() + "MOXUpdate"; }
    void TrustTestAuthority() const { std::filesystem::copy_file(ca.Certificate(), tree.ModuleFolder() / "update-ca.pem"); }
    void InstallPublicKey() const { std::filesystem::copy_file(publisher.Path() / "update.pub", tree.ModuleFolder() / "update.pub"); }

    // Publishes "vexa.xml" of the version on the site, signed with the secret key at
    // keyFolder (empty: unsigned), then optionally changed after signing.
    void Publish(const NginxServer& site, const std::string& version, const std::string& keyFolder = ".",
                 const std::string& changeAfterSigning = "")
    {
        const std::string selfUrl = site.BaseUrl() + "MOXUpdate";
        site.Publish("MOXUpdate/MOX/vexa.xml", Config(selfUrl, version, "1.0.0"));
        const auto published = site.SiteRoot() / "MOXUpdate/MOX/vexa.xml";
        std::filesystem::remove(published.string() + ".sig");
        if (!keyFolder.empty())
            RunVexaSign({"sign", (publisher.Path() / keyFolder / "update.key").string(), published.string()});
        if (!changeAfterSigning.empty())
            site.Publish("MOXUpdate/MOX/vexa.xml", Config(selfUrl, changeAfterSigning, "1.0.0"));
    }

    std::wstring Downloaded() const { return platform::WideFromUtf8((tree.ModuleFolder() / "tempDownload/vexa.xml").string()); }

    TempDir publisher;
    TestCertificateAuthority ca;
    NginxServer tlsServer{ca.Server()};
};

TEST_F(SignedCheckTest, SignedConfigurationOverHttpsIsUsed)
{
    Install("1.0.0", TlsSelfUrl());
    TrustTestAuthority();
    InstallPublicKey();
    Publish(tlsServer, "1.0.1");
    auto client = OpenClientWindow("我的游戏");
    EXPECT_EQ(RunVexa({"checkupdate", "我的游戏"}), 0);
    EXPECT_EQ(Received(*client, 1), "message=1033 wparam=0 lparam=0\n");
    EXPECT_TRUE(std::filesystem::exists(tree.ModuleFolder() / "tempDownload/vexa.xml"));
    EXPECT_FALSE(std::filesystem::exists(tree.ModuleFolder() / "tempDownload/vexa.xml.sig"));
}

TEST_F(SignedCheckTest, TamperedUnsignedOrForeignSignedConfigurationFailsTheCheck)
{
    Install("1.0.0", TlsSelfUrl());
    TrustTestAuthority();
    InstallPublicKey();
    auto client = OpenClientWindow("My Game");
    const std::vector<std::pair<std::string, std::string>> publications = {
        {".", "9.9.9"},   // changed after signing
        {"", ""},         // no signature
        {"other", ""},    // signed with another key
    };
    for (const auto& [keyFolder, change] : publications) {
        Publish(tlsServer, "1.0.1", keyFolder, change);
        EXPECT_EQ(RunVexa({"checkupdate", "My Game"}), 0);
        EXPECT_FALSE(std::filesystem::exists(tree.ModuleFolder() / "tempDownload/vexa.xml")) << "key folder " << keyFolder;
        EXPECT_FALSE(std::filesystem::exists(tree.ModuleFolder() / "tempDownload/vexa.xml.sig"));
    }
    EXPECT_EQ(Received(*client, 3), "message=1033 wparam=3 lparam=0\nmessage=1033 wparam=3 lparam=0\n"
                                    "message=1033 wparam=3 lparam=0\n");
    EXPECT_TRUE(Logged(L"文件 " + Downloaded() + L" 的签名验证失败"));
    EXPECT_TRUE(Logged(L"下载vexa.xml文件失败"));
}

TEST_F(SignedCheckTest, HttpsNeedsTheAuthorityOfTheSettingWhenTheSystemDoesNotKnowIt)
{
    Install("1.0.0", TlsSelfUrl());
    Publish(tlsServer, "1.0.1", "");
    auto client = OpenClientWindow("My Game");
    EXPECT_EQ(RunVexa({"checkupdate", "My Game"}), 0);
    EXPECT_TRUE(Logged(L"下载文件失败, errcode: 60"));  // CURLE_PEER_FAILED_VERIFICATION, then libcurl's words
    EXPECT_TRUE(LoggedUrl(TlsSelfUrl() + "/MOX/vexa.xml"));
    TrustTestAuthority();
    EXPECT_EQ(RunVexa({"checkupdate", "My Game"}), 0);
    EXPECT_EQ(Received(*client, 2), "message=1033 wparam=3 lparam=0\nmessage=1033 wparam=0 lparam=0\n");
}

// A check that starts on https follows a redirect to https, never one to plain http.
TEST_F(SignedCheckTest, RedirectFromHttpsIsFollowedToHttpsOnly)
{
    const std::string path = "/MOXUpdate/MOX/vexa.xml";
    const NginxServer toHttp{ca.Server(), std::nullopt, {{path, server.BaseUrl() + path.substr(1)}}};
    const NginxServer toHttps{ca.Server(), std::nullopt, {{path, tlsServer.BaseUrl() + path.substr(1)}}};
    TrustTestAuthority();
    Publish(server, "1.0.1", "");
    Publish(tlsServer, "1.0.1", "");
    auto client = OpenClientWindow("My Game");
    Install("1.0.0", toHttp.BaseUrl() + "MOXUpdate");
    EXPECT_EQ(RunVexa({"checkupdate", "My Game"}), 0);
    EXPECT_TRUE(Logged(L"下载文件失败, errcode: 1"));  // CURLE_UNSUPPORTED_PROTOCOL
    EXPECT_TRUE(LoggedUrl(toHttp.BaseUrl() + path.substr(1)));
    Install("1.0.0", toHttps.BaseUrl() + "MOXUpdate");
    EXPECT_EQ(RunVexa({"checkupdate", "My Game"}), 0);
    EXPECT_EQ(Received(*client, 2), "message=1033 wparam=3 lparam=0\nmessage=1033 wparam=0 lparam=0\n");
    EXPECT_EQ(server.AccessLog(), "");
}

TEST_F(SignedCheckTest, TheKeyHoldsOverPlainHttpAndWithoutItNothingChanges)
{
    Install("1.0.0");
    InstallPublicKey();
    Publish(server, "1.0.1", "");
    auto client = OpenClientWindow("My Game");
    EXPECT_EQ(RunVexa({"checkupdate", "My Game"}), 0);
    Publish(server, "1.0.1");
    EXPECT_EQ(RunVexa({"checkupdate", "My Game"}), 0);
    EXPECT_FALSE(Logged(L"未找到update.pub，更新文件不做签名验证"));
    std::filesystem::remove(tree.ModuleFolder() / "update.pub");
    Publish(server, "1.0.1", "");
    EXPECT_EQ(RunVexa({"checkupdate", "My Game"}), 0);
    EXPECT_TRUE(Logged(L"未找到update.pub，更新文件不做签名验证"));
    EXPECT_EQ(Received(*client, 3), "message=1033 wparam=3 lparam=0\nmessage=1033 wparam=0 lparam=0\n"
                                    "message=1033 wparam=0 lparam=0\n");
}

}  // namespace
