// One connection's socket against a real TCP peer on 127.0.0.1, stepped by hand as the
// network manager's worker would.
#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "cquill/src/ConnectSocket.h"
#include "platform/testing/open_handles.h"
#include "tests/cquill/src/SocketEvents.h"
#include "tests/support/TcpPeer.h"

namespace {

using cquill_test::SocketEvents;
using quill::net::CConnectSocket;
using testing_support::TcpPeer;

std::atomic<std::uint32_t> fakeTicks = 0;

std::uint32_t FakeTickCount()
{
    return fakeTicks;
}

// A packet with an empty body after its header: kind 9, no options.
const std::string smallPacket("\x09\x00\x00\x02\xAA\xBB", 6);

class ConnectSocketTest : public ::testing::Test {
protected:
    // Steps the socket until the condition holds; false after five seconds.
    template <class Condition>
    bool StepUntil(Condition condition)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            lastStep = socket.ExecSelect();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

    void Connect()
    {
        ASSERT_EQ(socket.ConnectServer("127.0.0.1", peer.Port()), 1);
        ASSERT_TRUE(peer.Accept());
        ASSERT_TRUE(StepUntil([&] { return socket.IsConnected(); }));
        events.Clear();
    }

    bool Received(std::size_t count)
    {
        std::size_t received = 0;
        for (const auto& event : events.Events())
            received += event.starts_with("receive") ? 1 : 0;
        return received >= count;
    }

    TcpPeer peer;
    SocketEvents events;
    CConnectSocket socket{&events};
    int lastStep = -1;
};

TEST_F(ConnectSocketTest, ConnectsOnceAndRefusesSecondAttempts)
{
    EXPECT_EQ(socket.ConnectServer("127.0.0.1", peer.Port()), 1);
    EXPECT_TRUE(socket.IsConnecting());
    EXPECT_EQ(socket.ConnectServer("127.0.0.1", peer.Port()), 0);
    ASSERT_TRUE(peer.Accept());
    ASSERT_TRUE(StepUntil([&] { return socket.IsConnected(); }));
    EXPECT_FALSE(socket.IsConnecting());
    EXPECT_EQ(socket.ConnectServer("127.0.0.1", peer.Port()), 0);
    EXPECT_EQ(events.Events(), (std::vector<std::string>{"connecting", "connect 0"}));

    socket.Close();
    socket.Close();
    EXPECT_EQ(events.Events(), (std::vector<std::string>{"connecting", "connect 0", "close"}));
    EXPECT_FALSE(socket.IsConnected());
    EXPECT_TRUE(peer.WaitForClose());
}

TEST_F(ConnectSocketTest, RefusedAttemptReportsFailureThenClose)
{
    testing_support::LoopbackPort refusing(false);
    ASSERT_EQ(socket.ConnectServer("127.0.0.1", refusing.Number()), 1);
    ASSERT_TRUE(StepUntil([&] { return events.Has("close"); }));
    EXPECT_EQ(lastStep, 0);
    EXPECT_EQ(events.Events(), (std::vector<std::string>{"connecting", "connect 1", "close"}));
    EXPECT_FALSE(socket.IsConnecting());
    EXPECT_EQ(socket.ExecSelect(), 0);
}

TEST_F(ConnectSocketTest, CutsTheStreamIntoPackets)
{
    Connect();
    // Two packets in one read arrive in the same step, in order.
    ASSERT_TRUE(peer.Write(smallPacket + std::string("\x09\x00\x00\x00", 4)));
    ASSERT_TRUE(StepUntil([&] { return Received(1); }));
    EXPECT_EQ(events.Events(), (std::vector<std::string>{"receive 09 00 00 02 AA BB", "receive 09 00 00 00"}));

    // A split packet (options included) waits for its last byte; a partial header keeps its bytes.
    events.Clear();
    const std::string withOption("\x09\x02\x00\x01\x07\x00\xCC", 7);
    ASSERT_TRUE(peer.Write(withOption.substr(0, 3)));
    ASSERT_TRUE(StepUntil([&] { return lastStep == 1; }));
    for (int step = 0; step < 20; ++step)
        socket.ExecSelect();
    ASSERT_TRUE(peer.Write(withOption.substr(3, 3)));
    for (int step = 0; step < 20; ++step)
        socket.ExecSelect();
    EXPECT_TRUE(events.Events().empty());
    ASSERT_TRUE(peer.Write(withOption.substr(6)));
    ASSERT_TRUE(StepUntil([&] { return Received(1); }));
    EXPECT_EQ(events.Events(), (std::vector<std::string>{"receive 09 02 00 01 07 00 CC"}));
}

TEST_F(ConnectSocketTest, NegativeBodyLengthClosesTheConnection)
{
    Connect();
    ASSERT_TRUE(peer.Write(smallPacket + std::string("\x09\x00\xFF\xF0", 4) + std::string(100, 'x')));
    ASSERT_TRUE(StepUntil([&] { return events.Has("close"); }));
    EXPECT_EQ(events.Events(), (std::vector<std::string>{"receive 09 00 00 02 AA BB", "close"}));
    EXPECT_TRUE(peer.WaitForClose());
}

TEST_F(ConnectSocketTest, SendQueueTakesExactlyItsCapacity)
{
    EXPECT_EQ(socket.Send("x", 1), 0);
    Connect();
    EXPECT_EQ(socket.Send(std::string(CConnectSocket::sendCapacity + 1, 'a').data(), CConnectSocket::sendCapacity + 1), 0);
    std::string payload(CConnectSocket::sendCapacity, '\0');
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<char>(i * 7);
    EXPECT_EQ(socket.Send(payload.data(), static_cast<int>(payload.size())), 1);
    EXPECT_EQ(socket.Send("x", 1), 0);

    std::string arrived;
    ASSERT_TRUE(StepUntil([&] {
        arrived += peer.Read(payload.size() - arrived.size(), 1);
        return arrived.size() == payload.size();
    }));
    EXPECT_EQ(arrived, payload);
    int sent = 0;
    for (const auto& event : events.Events()) {
        const int bytes = std::stoi(event.substr(5));
        EXPECT_LE(bytes, 1024);
        sent += bytes;
    }
    EXPECT_EQ(sent, static_cast<int>(payload.size()));
    EXPECT_EQ(socket.Send("x", 1), 1);
}

TEST_F(ConnectSocketTest, TimeOutCountsFromTheLastReadAcrossTheTickWrap)
{
    socket.SetTickSource(&FakeTickCount);
    fakeTicks = 0xFFFFF000u;
    Connect();
    EXPECT_EQ(socket.IsTimeout(), 0);
    fakeTicks = fakeTicks + 1000000;
    EXPECT_EQ(socket.IsTimeout(), 0) << "nothing received yet";

    const std::uint32_t readAt = fakeTicks;
    ASSERT_TRUE(peer.Write(smallPacket));
    ASSERT_TRUE(StepUntil([&] { return Received(1); }));
    fakeTicks = readAt + 50000;
    EXPECT_EQ(socket.IsTimeout(), 0);
    fakeTicks = readAt + 50001;
    EXPECT_EQ(socket.IsTimeout(), 1);
    EXPECT_EQ(socket.ExecSelect(), 0);
    EXPECT_TRUE(socket.IsConnected()) << "a time-out closes only when asked";

    socket.SetTimeoutSeconds(51);
    EXPECT_EQ(socket.IsTimeout(), 0);
    socket.SetTimeoutSeconds(50);
    EXPECT_EQ(socket.Send("x", 1), 0);
    EXPECT_TRUE(events.Has("close"));
    EXPECT_EQ(socket.IsTimeout(), 0);
}

TEST_F(ConnectSocketTest, ANewConnectionDoesNotInheritTheClosedOnesLastRead)
{
    socket.SetTickSource(&FakeTickCount);
    fakeTicks = 1000;
    Connect();
    ASSERT_TRUE(peer.Write(smallPacket));
    ASSERT_TRUE(StepUntil([&] { return Received(1); }));
    socket.Close();
    fakeTicks = fakeTicks + 60000;

    Connect();
    EXPECT_EQ(socket.IsTimeout(), 0);
    EXPECT_EQ(socket.Send("y", 1), 1);
    std::string arrived;
    ASSERT_TRUE(StepUntil([&] { return !(arrived += peer.Read(1, 1)).empty(); }));
    EXPECT_EQ(arrived, "y");
}

TEST_F(ConnectSocketTest, ListenerMayCloseFromInsideAReceive)
{
    Connect();
    events.onReceive = [](quill::net::CCommonSocket* socket) { socket->Close(); };
    ASSERT_TRUE(peer.Write(smallPacket + smallPacket));
    ASSERT_TRUE(StepUntil([&] { return events.Has("close"); }));
    EXPECT_EQ(events.Events(), (std::vector<std::string>{"receive 09 00 00 02 AA BB", "close"}));
    EXPECT_TRUE(peer.WaitForClose());
}

TEST_F(ConnectSocketTest, ListenerMayStartAnotherAttemptWhenOneFails)
{
    testing_support::LoopbackPort refusing(false);
    events.onConnect = [&](int error) {
        if (error != 0) {
            EXPECT_EQ(socket.ConnectServer("127.0.0.1", peer.Port()), 1);
        }
    };
    ASSERT_EQ(socket.ConnectServer("127.0.0.1", refusing.Number()), 1);
    ASSERT_TRUE(StepUntil([&] { return socket.IsConnected(); }));
    EXPECT_TRUE(peer.Accept());
    EXPECT_EQ(events.Events(), (std::vector<std::string>{"connecting", "connect 1", "close", "connecting", "connect 0"}));
}

TEST_F(ConnectSocketTest, FailedSocketCreationLeavesTheSocketReadyToRetry)
{
    // In a child process: no descriptor may be opened there, so creating the socket fails.
#if defined(_WIN32)
    GTEST_SKIP() << "Windows has no limit on a process's handles that would make a socket's creation fail";
#elif defined(__SANITIZE_ADDRESS__)
    // The sanitizers' own checks (UBSan's first look at a dynamic type) need free
    // descriptors, so the child would report them instead; the plain build runs it.
    GTEST_SKIP() << "needs a build without sanitizers";
#endif
    const auto attemptWithoutDescriptors = [&] {
        const bool refused = platform::testing::ForbidNewHandles() && socket.ConnectServer("127.0.0.1", peer.Port()) == 0;
        std::_Exit(refused && !socket.IsConnecting() && events.Events().empty() ? 0 : 1);
    };
    EXPECT_EXIT(attemptWithoutDescriptors(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
