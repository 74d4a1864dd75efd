#include "cquill/src/quill/CErrorInfo.h"
#include "cquill/src/quill/CTcpClientEx.h"
#include "cquill/src/quill/ResolveHost.h"
#include "platform/socket.h"
#include "platform/testing/loopback_socket.h"
#include "tests/support/LoopbackPort.h"

#include <gtest/gtest.h>

#include <future>

namespace {

using namespace std::chrono_literals;
using quill::net::CTcpClientEx;

using testing_support::LoopbackPort;
namespace loopback = platform::testing;

// A refused connection in the system's numbering (errno, Windows Sockets), with its text.
#ifdef _WIN32
const std::uint32_t kRefused = 10061;
#else
const std::uint32_t kRefused = 111;
#endif
const std::string kRefusedText = platform::FormatSocketError(static_cast<int>(kRefused));

// Exactly size bytes from the socket, or fewer when it closed or went quiet for 5 s.
std::string ReceiveExactly(loopback::SocketHandle socket, std::size_t size)
{
    std::string bytes;
    char buffer[64];
    while (bytes.size() < size && loopback::WaitReadable(socket, 5000)) {
        const auto got = loopback::ReceiveBytes(socket, buffer, std::min(sizeof buffer, size - bytes.size()));
        if (got <= 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    return bytes;
}

TEST(ErrorInfo, ShowsTheCodeInBracketsThenTheSystemText)
{
    quill::CErrorInfo error;
    EXPECT_EQ(error.ToString(), "[0]" + platform::SocketErrorText(0));
    error.code = kRefused;
    EXPECT_EQ(error.ToString(), kRefusedText);
#ifndef _WIN32
    EXPECT_EQ(platform::FormatSocketError(0), "[0]Success");
    EXPECT_EQ(kRefusedText, "[111]Connection refused");
#endif
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
    EXPECT_EQ(client.client.error.ToString(), kRefusedText);
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
    const auto peer = listening.Accept();
    EXPECT_TRUE(client.client.Send("\x01\x00\x03" "abc", 6));
    EXPECT_TRUE(client.client.Send("", 0));
    EXPECT_EQ(ReceiveExactly(peer, 6), std::string("\x01\x00\x03" "abc", 6));

    loopback::CloseSocket(peer);
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
    const auto peer = listening.Accept();
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
    loopback::CloseSocket(peer);
}

TEST(ResolveHost, GivesDottedAddressesOrNothing)
{
    EXPECT_EQ(quill::net::ResolveHost("127.0.0.1"), std::vector<std::string>{"127.0.0.1"});
    EXPECT_TRUE(quill::net::ResolveHost("sdr1.first.invalid").empty());
}

}  // namespace
