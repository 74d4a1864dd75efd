// The real updater in a temporary client tree, asked by the sample client's window
// whether an update exists, against nginx serving the published configuration.
#include "tests/support/HostileHttpServer.h"
#include "tests/support/LoopbackPort.h"
#include "tests/vexa/control/CheckModeFixture.h"

namespace {

using namespace std::chrono_literals;
using namespace check_mode_testing;
using testing_support::ChildOptions;
using testing_support::ChildProcess;
using testing_support::HostileHttpServer;
using testing_support::HostileReply;
using testing_support::ReadFileBytes;

TEST_F(CheckModeTest, ForcedWhenTheInstalledVersionIsBelowTheMinimum)
{
    Install("1.0.0");
    PublishVersion("1.2.0", "1.1.0");
    auto client = OpenClientWindow("My Game");
    // Every '-' of an argument reads as a space.
    EXPECT_EQ(RunVexa({"checkupdate", "My-Game"}), 0);
    EXPECT_EQ(Received(*client, 1), "message=1033 wparam=1 lparam=0\n");
    EXPECT_TRUE(Logged(L"检测到有可用更新"));
    EXPECT_FALSE(std::filesystem::exists(Transcript())) << "the check mode shows nothing";
}

TEST_F(CheckModeTest, OptionalWhenANewerVersionIsPublished)
{
    Install("1.0.0");
    PublishVersion("1.0.1", "1.0.0");
    auto client = OpenClientWindow("我的游戏");
    EXPECT_EQ(RunVexa({"-CHECKUPDATE", "我的游戏"}), 0);
    EXPECT_EQ(Received(*client, 1), "message=1033 wparam=0 lparam=0\n");
    EXPECT_TRUE(Logged(L"检测到有可用更新"));
}

TEST_F(CheckModeTest, NoneWhenTheInstalledVersionIsCurrentAndTheDownloadedCopyStays)
{
    Install("1.0.0.0");
    PublishVersion("1.0.0", "0.9.0");
    // A stale copy from an earlier run must not be resumed onto.
    std::filesystem::create_directories(tree.ModuleFolder() / "tempDownload");
    WriteFileBytes(tree.ModuleFolder() / "tempDownload" / "vexa.xml", "<vexa><CurVersion>9.9.9</CurVersion>");
    auto client = OpenClientWindow("My Game");
    EXPECT_EQ(RunVexa({"checkupdate", "My Game"}), 0);
    EXPECT_EQ(Received(*client, 1), "message=1033 wparam=2 lparam=0\n");
    EXPECT_TRUE(Logged(L"当前版本是最新版本，不需要更新!"));
    EXPECT_EQ(ReadFileBytes(tree.ModuleFolder() / "tempDownload" / "vexa.xml"), Config(SelfUrl(), "1.0.0", "0.9.0"));
    EXPECT_EQ(server.AccessLog().find("range=bytes"), std::string::npos);
}

// chattr +a: the file can be appended to but not deleted, even by root.
class AppendOnly {
public:
    explicit AppendOnly(std::filesystem::path path) : path_(std::move(path)) { set_ = Chattr("+a"); }
    ~AppendOnly()
    {
        if (set_)
            Chattr("-a");
    }
    bool IsSet() const { return set_; }

private:
    bool Chattr(const std::string& flag) const
    {
        ChildOptions options;
        options.arguments = {flag, path_.string()};
        ChildProcess chattr("/usr/bin/chattr", options);
        return chattr.Wait(10s) && chattr.ExitCode() == 0;
    }
    std::filesystem::path path_;
    bool set_ = false;
};

TEST_F(CheckModeTest, StaleCopyThatCannotBeDeletedFailsTheCheck)
{
    Install("1.0.0");
    PublishVersion("1.0.0", "1.0.0");
    // The stale copy is the head of a same-sized document naming 9.9.9: resuming the
    // published copy onto it would complete it into a forced update.
    const std::string stale = Config(SelfUrl(), "9.9.9", "9.9.9");
    const auto path = tree.ModuleFolder() / "tempDownload" / "vexa.xml";
    std::filesystem::create_directories(path.parent_path());
    WriteFileBytes(path, stale.substr(0, stale.find("</CurVersion>")));
    const AppendOnly appendOnly(path);
    if (!appendOnly.IsSet())
        GTEST_SKIP() << "chattr +a is not available here";

    auto client = OpenClientWindow("My Game");
    EXPECT_EQ(RunVexa({"checkupdate", "My Game"}), 0);
    EXPECT_EQ(Received(*client, 1), "message=1033 wparam=3 lparam=0\n");
    EXPECT_TRUE(Logged(L"无法删除旧的vexa.xml文件: " + platform::WideFromUtf8(path.string())));
    EXPECT_EQ(server.AccessLog(), "");
}

TEST_F(CheckModeTest, UnreachableServerReportsAFailedCheck)
{
    const std::string selfUrl = "http://127.0.0.1:" + std::to_string(testing_support::FreeLoopbackPort()) + "/MOXUpdate";
    Install("1.0.0", selfUrl);
    auto client = OpenClientWindow("My Game");
    EXPECT_EQ(RunVexa({"checkupdate", "My Game"}), 0);
    EXPECT_EQ(Received(*client, 1), "message=1033 wparam=3 lparam=0\n");
    EXPECT_TRUE(Logged(L"下载文件失败, errcode: 7"));  // CURLE_COULDNT_CONNECT, then libcurl's words
    EXPECT_TRUE(LoggedUrl(selfUrl + "/MOX/vexa.xml"));
    EXPECT_TRUE(Logged(L"下载vexa.xml文件失败"));
    EXPECT_TRUE(Logged(L"手动检测更新失败"));
}

// A server that trickles "vexa.xml" (about 20 B/s, 15 s for the file) cannot hold the
// check: it fails within the whole-time limit, here shortened to two seconds.
TEST_F(CheckModeTest, TricklingServerFailsTheCheckWithinTheTimeLimit)
{
    HostileHttpServer trickling;
    HostileReply reply{200, Config(SelfUrl(), "1.0.1", "1.0.0"), HostileReply::Body::Whole, {}};
    reply.piece = 1;
    reply.pauseMilliseconds = 50;
    trickling.Answer("/MOXUpdate/MOX/vexa.xml", reply);
    Install("1.0.0", trickling.BaseUrl() + "/MOXUpdate");
    auto client = OpenClientWindow("My Game");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(RunVexa({"checkupdate", "My Game"}, {{"VEXA_TEST_TRANSFER_SECONDS", "2"}}), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 8s);
    EXPECT_EQ(Received(*client, 1), "message=1033 wparam=3 lparam=0\n");
    EXPECT_TRUE(Logged(L"下载文件失败, errcode: 28"));  // CURLE_OPERATION_TIMEDOUT
    EXPECT_TRUE(LoggedUrl(trickling.BaseUrl() + "/MOXUpdate/MOX/vexa.xml"));
}

TEST_F(CheckModeTest, ErrorPagesAreNoPublishedConfiguration)
{
    Install("1.0.0");
    auto client = OpenClientWindow("My Game");
    EXPECT_EQ(RunVexa({"checkupdate", "My Game"}), 0);  // 404
    EXPECT_TRUE(Logged(L"url所指文件路径错误或不存在, url: " + platform::WideFromUtf8(SelfUrl()) + L"/MOX/vexa.xml"));
    // A folder in the file's place: redirected, then 403 with an HTML body.
    std::filesystem::create_directories(server.SiteRoot() / "MOXUpdate" / "MOX" / "vexa.xml");
    EXPECT_EQ(RunVexa({"checkupdate", "My Game"}), 0);
    EXPECT_EQ(Received(*client, 2), "message=1033 wparam=3 lparam=0\nmessage=1033 wparam=3 lparam=0\n");
}

TEST_F(CheckModeTest, InvalidInstalledVersionReportsAFailedCheck)
{
    Install("1.0");
    PublishVersion("1.0.1", "1.0.0");
    auto client = OpenClientWindow("My Game");
    EXPECT_EQ(RunVexa({"checkupdate", "My Game"}), 0);
    EXPECT_EQ(Received(*client, 1), "message=1033 wparam=3 lparam=0\n");
    EXPECT_TRUE(Logged(L"版本信息有误,新版本最小版本号: 1.0.0, 当前版本号: 1.0"));
    EXPECT_TRUE(Logged(L"判断升级类型失败"));
    EXPECT_TRUE(Logged(L"手动检测更新失败"));
}

TEST_F(CheckModeTest, MissingWindowIsLoggedAndNothingIsFetched)
{
    Install("1.0.0");
    PublishVersion("1.0.1", "1.0.0");
    EXPECT_EQ(RunVexa({"checkupdate", "Nobody-Here"}), 0);
    EXPECT_TRUE(Logged(L"无法找到主窗口的句柄,windowName:Nobody Here"));
    EXPECT_EQ(Log().find(Utf16Le(L"检测")), std::string::npos);
    EXPECT_EQ(server.AccessLog(), "");
}

TEST_F(CheckModeTest, ServerVersionCannotForgeLogLinesAndIsCutToFit)
{
    Install("1.0.0");
    // 37 characters of forged record, then padding far beyond the line limit.
    PublishVersion("1.0&#13;&#10;Thu Jan  1 00:00:00 2026: forged" + std::string(1500, 'x'), "1.0.0");
    auto client = OpenClientWindow("My Game");
    EXPECT_EQ(RunVexa({"checkupdate", "My Game"}), 0);
    EXPECT_EQ(Received(*client, 1), "message=1033 wparam=3 lparam=0\n");
    EXPECT_TRUE(Logged(L"版本信息有误,新版本版本号: 1.0\\x0D\\x0AThu Jan  1 00:00:00 2026: forged" +
                       std::wstring(256 - 37, L'x') + L"..., 当前版本号: 1.0.0"));
    EXPECT_EQ(Log().find(Utf16Le(L"\r\nThu Jan")), std::string::npos);
}

TEST_F(CheckModeTest, ResultThatCannotBePostedIsLogged)
{
    Install("1.0.0");
    PublishVersion("1.0.0", "1.0.0");
    // A window that never reads: its queue fills up.
    platform::CMessageWindow window(L"Busy Game");
    ASSERT_TRUE(window.IsOpen());
    const auto handle = platform::FindWindowByTitle(L"Busy Game");
    ASSERT_TRUE(handle);
    int queued = 0;
    while (queued < 100000 && platform::PostWindowMessage(*handle, {1, 0, 0}))
        ++queued;
    ASSERT_LT(queued, 100000);

    EXPECT_EQ(RunVexa({"checkupdate", "Busy Game"}), 0);
    EXPECT_TRUE(Logged(L"当前版本是最新版本，不需要更新!"));
    EXPECT_TRUE(Logged(L"无法发送检测结果到主窗口,windowName:Busy Game"));
}

TEST_F(CheckModeTest, SecondUpdaterOnlySaysOneIsRunning)
{
    // A peer whose backlog takes the connection and that never answers keeps the first
    // updater busy.
    testing_support::LoopbackPort peer(true, 4);
    Install("1.0.0", "http://127.0.0.1:" + std::to_string(peer.Number()) + "/MOXUpdate");
    auto client = OpenClientWindow("My Game");
    ChildProcess first(tree.Program().string(), Options({"checkupdate", "My Game"}));
    std::this_thread::sleep_for(500ms);
    ASSERT_TRUE(first.Running());

    EXPECT_EQ(RunVexa({"checkupdate", "My Game"}), 0);
    EXPECT_EQ(ReadFileBytes(Transcript()),
              "{\"event\":\"messagebox\",\"title\":\"提示\",\"text\":\"已有vexa.exe进程在运行\",\"style\":4096,"
              "\"answer\":\"ok\",\"owner\":0}\n");
    // Without the script backend and without a terminal the box is printed and
    // answered at once.
    ChildOptions console = Options({"update"});
    console.environment.push_back({"VEXA_UI", "console"});
    ChildProcess third(tree.Program().string(), console);
    ASSERT_TRUE(third.Wait(10s));
    EXPECT_EQ(third.ExitCode(), 0);
    EXPECT_EQ(third.Stdout(), "[提示] 已有vexa.exe进程在运行\n");
    first.Kill();
    first.Wait();
    // Once the first is gone, the lock is free again.
    PublishVersion("1.0.0", "1.0.0");
    Install("1.0.0");
    EXPECT_EQ(RunVexa({"checkupdate", "My Game"}), 0);
    EXPECT_EQ(Received(*client, 1), "message=1033 wparam=2 lparam=0\n");
}

TEST_F(CheckModeTest, PublishedNamesThatCouldLeaveTheirFolderFailTheCheck)
{
    Install("1.0.0");
    auto client = OpenClientWindow("My Game");
    // Even a forced update is refused: the version would name the download folder.
    PublishVersion("1.0.1/../../..", "2.0.0");
    EXPECT_EQ(RunVexa({"checkupdate", "My Game"}), 0);
    server.Publish("MOXUpdate/MOX/vexa.xml", "<vexa><ProductCode>MOX/../x</ProductCode><CurVersion>1.0.1</CurVersion></vexa>");
    EXPECT_EQ(RunVexa({"checkupdate", "My Game"}), 0);
    EXPECT_EQ(Received(*client, 2), "message=1033 wparam=3 lparam=0\nmessage=1033 wparam=3 lparam=0\n");
    EXPECT_TRUE(Logged(L"版本信息有误,新版本版本号: 1.0.1/../../.., 当前版本号: 1.0.0"));
    EXPECT_TRUE(Logged(L"产品代码有误: MOX/../x"));
}

}  // namespace
