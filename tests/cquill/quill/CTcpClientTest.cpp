#include "cquill/src/quill/CErrorInfo.h"
#include "cquill/src/quill/CTcpClientEx.h"
#include "cquill/src/quill/ResolveHost.h"
#include "tests/support/LoopbackPort.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <future>

namespace {

using namespace std::chrono_literals;
using quill::net::CTcpClientEx;

using testing_support::LoopbackPort;

TEST(ErrorInfo, ShowsTheCodeInBracketsThenTheSystemText)
{
    quill::CErrorInfo error;
    EXPECT_EQ(error.ToString(), "[0]Success");
    error.code = ECONNREFUSED;
    EXPECT_EQ(error.ToString(), "[111]Connection refused");
}

TEST(TcpClient, RefusedAndUnparsableAddressesFail)
{
    LoopbackPort refusing(false);
    CTcpClientEx client;
    EXPECT_EQ(client.client.state, quill::net::Initial);
    client.Create("127.0.0.1", refusing.Number());
    EXPECT_EQ(client.client.state, quill::net::Initial);
    EXPECT_FALSE(client.Connect());
    EXPECT_EQ(client.client.state, quill::net::Failed);
    EXPECT_EQ(client.client.error.ToString(), "[111]Connection refused");
    // Reused for another server, a connection that works forgets the earlier error.
    LoopbackPort listening;
    client.Create("127.0.0.1", listening.Number());
    ASSERT_TRUE(client.Connect());
    EXPECT_EQ(client.client.error.code, 0u);

    CTcpClientEx nowhere;
    nowhere.Create(nullptr, 20088);
    EXPECT_EQ(nowhere.addressText, "");
    EXPECT_EQ(nowhere.client.address.address, 0xFFFFFFFFu);
    EXPECT_FALSE(nowhere.Connect());
}

TEST(TcpClient, ConnectWithoutASocketFails)
{
    CTcpClientEx client;
    EXPECT_FALSE(client.Connect());
    EXPECT_EQ(client.client.state, quill::net::Failed);
    EXPECT_NE(client.client.error.code, 0u);
}

TEST(TcpClient, SendsAFrameAndBreaksWhenThePeerIsGone)
{
    LoopbackPort listening;
    CTcpClientEx client;
    client.Create("127.0.0.1", listening.Number());
    ASSERT_TRUE(client.Connect());
    EXPECT_EQ(client.client.error.code, 0u);
    const int peer = listening.Accept();
    EXPECT_TRUE(client.client.Send("\x01\x00\x03" "abc", 6));
    EXPECT_TRUE(client.client.Send("", 0));
    char got[6] = {};
    ASSERT_EQ(recv(peer, got, sizeof got, MSG_WAITALL), 6);
    EXPECT_EQ(std::string(got, 6), std::string("\x01\x00\x03" "abc", 6));

    close(peer);
    // The first send after the peer's close may still be accepted; a later one breaks.
    bool sent = true;
    for (int i = 0; i < 100 && sent; ++i) {
        sent = client.client.Send("more", 4);
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_FALSE(sent);
    EXPECT_EQ(client.client.state, quill::net::Broken);
    EXPECT_FALSE(client.client.Send("x", 1));
}

TEST(TcpClient, CloseFromAnotherThreadAbortsAReceiveAndClosesOnce)
{
    LoopbackPort listening;
    CTcpClientEx client;
    client.Create("127.0.0.1", listening.Number());
    ASSERT_TRUE(client.Connect());
    const int peer = listening.Accept();
    auto receive = std::async(std::launch::async, [&] {
        char buffer[64];
        return client.client.socket.Receive(buffer, sizeof buffer);
    });
    ASSERT_EQ(receive.wait_for(200ms), std::future_status::timeout);
    client.Close();
    ASSERT_EQ(receive.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(receive.get(), -1);
    EXPECT_EQ(client.client.state, quill::net::Closed);
    EXPECT_FALSE(client.client.socket.IsOpen());
    client.Close();
    EXPECT_EQ(client.client.state, quill::net::Closed);
    close(peer);
}

TEST(ResolveHost, GivesDottedAddressesOrNothing)
{
    EXPECT_EQ(quill::net::ResolveHost("127.0.0.1"), std::vector<std::string>{"127.0.0.1"});
    EXPECT_TRUE(quill::net::ResolveHost("sdr1.first.invalid").empty());
}

}  // namespace
