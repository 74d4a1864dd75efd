#include "cquill/src/sdr/CSDR.h"
#include "cquill/src/sdr/GbkText.h"
#include "cquill/src/sdr/SDRLog.h"
#include "tests/cquill/sdr/SdrTestServer.h"
#include "tests/support/ClientTree.h"
#include "tests/support/TempDir.h"

#include "platform/socket.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

namespace {

using namespace std::chrono_literals;
using quill::sdr::Gbk;
using sdr_testing::SdrTestServer;

class Request : public ::testing::Test {
protected:
    void SetUp() override { quill::sdr::DirectoryLog().Configure(testing_support::WidePath(Log()), 4); }
    void TearDown() override { quill::sdr::DirectoryLog().Configure(L"", 0); }

    std::filesystem::path Log() const { return temp_.Path() / "SDR.log"; }
    std::string LogText() const { return testing_support::ReadFileBytes(Log()); }

    // One request against a listener of the server, run to its end.
    void RunAgainst(quill::sdr::CSDR& sdr, const SdrTestServer& server, std::size_t listener,
                    const char* key = "sdr.game.zone1")
    {
        sdr.Init(key, "127.0.0.1", server.Port(listener));
        sdr.Run();
        EXPECT_TRUE(sdr.IsStopped());
    }

    testing_support::TempDir temp_;
};

std::string Header(std::size_t length)
{
    return std::string{'\x01', static_cast<char>(length >> 8), static_cast<char>(length & 0xFF)};
}

TEST_F(Request, TakesTheEntriesOfACompleteAnswerAndLogsItsBytes)
{
    const std::string payload = "alpha:10.0.0.1:7000:x:y|beta:10.0.0.2:7001";
    SdrTestServer server({"entries=" + payload, "slow=" + payload});
    for (std::size_t listener : {0u, 1u}) {
        quill::sdr::CSDR sdr;
        RunAgainst(sdr, server, listener);
        ASSERT_TRUE(sdr.HasData());
        std::vector<SdrEntry> entries{{"old", "", 1, "", ""}};
        sdr.GetResult(entries);
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_EQ(entries[1].column2, "10.0.0.2");
        EXPECT_EQ(entries[1].port, 7001);
    }
    EXPECT_EQ(server.Requests(), (std::vector<std::string>{"0 PRODUCT/GAME/ZONE1", "1 PRODUCT/GAME/ZONE1"}));
    const std::string record = "--CSDR-- request info\nIP:127.0.0.1   port:" + std::to_string(server.Port(0)) +
                               "\nkeysdr.game.zone1" + Gbk(L"解析返回数据成功。  \n") + Header(42) + payload + "\n";
    EXPECT_EQ(LogText().substr(0, record.size()), record);
}

TEST_F(Request, AnEmptyAnswerIsCompleteWithoutEntries)
{
    SdrTestServer server({"empty"});
    quill::sdr::CSDR sdr;
    RunAgainst(sdr, server, 0);
    EXPECT_FALSE(sdr.HasData());
    EXPECT_NE(LogText().find(Gbk(L"解析返回数据成功。  \n") + Header(0) + "\n"), std::string::npos);
}

TEST_F(Request, AnAnswerCutShortEndsNaturallyWithoutEntries)
{
    SdrTestServer server({"short=10=abcde", "close"});
    quill::sdr::CSDR cut;
    RunAgainst(cut, server, 0);
    EXPECT_FALSE(cut.HasData());
    EXPECT_NE(LogText().find(Gbk(L"自然结束。  \n") + Header(10) + "abcde\n\n\n\n\n"), std::string::npos);

    quill::sdr::CSDR closed;
    RunAgainst(closed, server, 1);
    EXPECT_FALSE(closed.HasData());
    EXPECT_NE(LogText().find(Gbk(L"自然结束。  \n") + "\n\n\n\n\n"), std::string::npos);
}

TEST_F(Request, RefusedConnectionLogsTheErrorText)
{
    SdrTestServer server({"refuse"});
    quill::sdr::CSDR sdr;
    RunAgainst(sdr, server, 0);
    EXPECT_FALSE(sdr.HasData());
    // Refused, in the system's numbering (errno, Windows Sockets) and with its text.
#ifdef _WIN32
    const int refused = 10061;
#else
    const int refused = 111;
#endif
    EXPECT_NE(LogText().find(Gbk(L"Connect链接失败。  ") + platform::FormatSocketError(refused) + "\n"), std::string::npos);
#ifndef _WIN32
    EXPECT_EQ(platform::FormatSocketError(refused), "[111]Connection refused");
#endif
}

TEST_F(Request, RejectedKeysAndUnknownHostsNeverReachTheServer)
{
    SdrTestServer server({"entries=a:b:1"});
    for (const char* key : {"sdrx.a", "", "x.sdr"}) {
        quill::sdr::CSDR sdr;
        RunAgainst(sdr, server, 0, key);
        EXPECT_FALSE(sdr.HasData());
    }
    const std::string tooLong = "sdr." + std::string(65536, 'a');
    quill::sdr::CSDR longKey;
    RunAgainst(longKey, server, 0, tooLong.c_str());

    quill::sdr::CSDR unknown;
    unknown.Init("sdr.a", "no-such-host.invalid", server.Port(0));
    unknown.Run();
    EXPECT_TRUE(unknown.IsStopped());

    EXPECT_TRUE(server.Requests().empty());
    const std::string log = LogText();
    std::size_t rejected = 0;
    for (auto at = log.find("key is error.\n"); at != std::string::npos; at = log.find("key is error.\n", at + 1))
        ++rejected;
    EXPECT_EQ(rejected, 4u);
    EXPECT_NE(log.find("keysdr.a\xD3\xF2\xC3\xFB\xBD\xE2\xCE\xF6\xCA\xA7\xB0\xDC\xA1\xA3\n"), std::string::npos);
}

TEST_F(Request, StopDuringABlockedReceiveEndsRunNaturally)
{
    SdrTestServer server({"silent"});
    quill::sdr::CSDR sdr;
    sdr.Init("sdr.a", "127.0.0.1", server.Port(0));
    auto run = std::async(std::launch::async, [&] { sdr.Run(); });
    ASSERT_EQ(run.wait_for(300ms), std::future_status::timeout);
    sdr.Stop();
    ASSERT_EQ(run.wait_for(2s), std::future_status::ready);
    EXPECT_TRUE(sdr.IsStopped());
    EXPECT_FALSE(sdr.HasData());
    EXPECT_NE(LogText().find(Gbk(L"自然结束。  \n")), std::string::npos);
}

TEST_F(Request, RunAndInitAreOneShot)
{
    SdrTestServer server({"entries=a:b:1", "entries=c:d:2"});
    quill::sdr::CSDR sdr;
    RunAgainst(sdr, server, 0);
    sdr.Init("sdr.other", "127.0.0.1", server.Port(1));
    sdr.Run();
    EXPECT_EQ(sdr.GetRequest().key, "sdr.game.zone1");
    EXPECT_EQ(sdr.GetRequest().port, server.Port(0));
    EXPECT_EQ(server.Requests().size(), 1u);
}

}  // namespace
