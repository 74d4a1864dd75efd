#include "platform/socket.h"
#include "platform/wakeup.h"

#include "platform/common/socket_internal.h"
#include "platform/testing/loopback_socket.h"
#include "platform/testing/open_handles.h"
#include "tests/support/LoopbackPort.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

namespace {

using namespace std::chrono_literals;

platform::Ipv4Endpoint Loopback(const testing_support::LoopbackPort& port)
{
    return {platform::ParseIpv4("127.0.0.1"), port.Number()};
}

namespace loopback = platform::testing;

// A refused connection in the system's numbering: errno, Windows Sockets.
#ifdef _WIN32
constexpr int kRefused = 10061;
#else
constexpr int kRefused = 111;
#endif

TEST(Socket, RefusedConnectionReportsTheSystemErrorInBracketForm)
{
    testing_support::LoopbackPort bound(false);
    platform::CSocket socket;
    ASSERT_TRUE(socket.Create());
    EXPECT_FALSE(socket.Connect(Loopback(bound)));
    EXPECT_EQ(platform::LastSocketError(), kRefused);
    EXPECT_EQ(platform::FormatSocketError(kRefused), "[" + std::to_string(kRefused) + "]" + platform::SocketErrorText(kRefused));
    EXPECT_FALSE(platform::SocketErrorText(kRefused).empty());
#ifndef _WIN32
    EXPECT_EQ(platform::FormatSocketError(kRefused), "[111]Connection refused");
    EXPECT_EQ(platform::FormatSocketError(0), "[0]Success");
#endif
}

TEST(Socket, SendsMoreThanTheBuffersHoldInOrder)
{
    testing_support::LoopbackPort listener;
    platform::CSocket socket;
    ASSERT_TRUE(socket.Create());
    ASSERT_TRUE(socket.Connect(Loopback(listener)));
    const auto peer = listener.Accept();

    // More than the socket buffers hold, so the sender has to wait for the reader.
    std::string sent(8 * 1024 * 1024, '\0');
    for (std::size_t i = 0; i < sent.size(); ++i)
        sent[i] = static_cast<char>(i * 7 % 251);
    auto reader = std::async(std::launch::async, [peer, size = sent.size()] {
        std::string got;
        char buffer[65536];
        while (got.size() < size) {
            const auto count = loopback::ReceiveBytes(peer, buffer, sizeof buffer);
            if (count <= 0)
                break;
            got.append(buffer, static_cast<std::size_t>(count));
        }
        return got;
    });
    std::size_t done = 0;
    while (done < sent.size()) {
        const auto count = socket.Send(sent.data() + done, sent.size() - done);
        ASSERT_GT(count, 0);
        done += static_cast<std::size_t>(count);
    }
    EXPECT_EQ(reader.get(), sent);

    loopback::SendAll(peer, "bye");
    loopback::CloseSocket(peer);
    char buffer[8];
    EXPECT_EQ(socket.Receive(buffer, sizeof buffer), 3);
    EXPECT_EQ(socket.Receive(buffer, sizeof buffer), 0);
}

TEST(Socket, CloseFromAnotherThreadAbortsABlockedReceiveAndReleasesTheDescriptor)
{
    [[maybe_unused]] const std::size_t before = loopback::OpenHandleCount();
    testing_support::LoopbackPort listener;
    auto socket = std::make_unique<platform::CSocket>();
    ASSERT_TRUE(socket->Create());
    ASSERT_TRUE(socket->Connect(Loopback(listener)));
    const auto peer = listener.Accept();

    auto receive = std::async(std::launch::async, [&] {
        char buffer[16];
        const auto count = socket->Receive(buffer, sizeof buffer);
        return std::make_pair(count, platform::LastSocketError());
    });
    ASSERT_EQ(receive.wait_for(200ms), std::future_status::timeout);
    socket->Close();
    ASSERT_EQ(receive.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(receive.get().first, -1);

    EXPECT_FALSE(socket->IsOpen());
    char byte = 0;
    EXPECT_EQ(socket->Send(&byte, 1), -1);
    socket->Close();
    socket.reset();
    loopback::CloseSocket(peer);
#ifndef _WIN32
    // Windows counts handles of its own beside the sockets (and wine none at all).
    EXPECT_EQ(loopback::OpenHandleCount(), before + 1);  // only the listener is left
#endif
}

TEST(Socket, CloseFromAnotherThreadAbortsABlockedSend)
{
    testing_support::LoopbackPort listener;
    platform::CSocket socket;
    ASSERT_TRUE(socket.Create());
    ASSERT_TRUE(socket.Connect(Loopback(listener)));
    const auto peer = listener.Accept();  // never reads, so the buffers fill up

    auto sender = std::async(std::launch::async, [&] {
        const std::string block(1 << 20, 'x');
        while (socket.Send(block.data(), block.size()) > 0) {
        }
        return platform::LastSocketError();
    });
    ASSERT_EQ(sender.wait_for(500ms), std::future_status::timeout);
    socket.Close();
    ASSERT_EQ(sender.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(sender.get(), platform::detail::kSocketClosedError);
    loopback::CloseSocket(peer);
}

TEST(Socket, CloseFromAnotherThreadAbortsABlockedConnect)
{
    // A listener that never accepts fills its queue; further connections hang in the
    // handshake until the socket is closed.
    testing_support::LoopbackPort full(true, 0);
    std::vector<std::unique_ptr<platform::CSocket>> fillers;
    for (int i = 0; i < 4; ++i) {
        fillers.push_back(std::make_unique<platform::CSocket>());
        fillers.back()->Create();
        fillers.back()->SetBlocking(false);
        fillers.back()->Connect(Loopback(full));
    }
    std::this_thread::sleep_for(50ms);

    platform::CSocket socket;
    ASSERT_TRUE(socket.Create());
    auto connect = std::async(std::launch::async, [&] { return socket.Connect(Loopback(full)); });
    if (connect.wait_for(300ms) == std::future_status::ready)
        GTEST_SKIP() << "the kernel completed the connection despite the full queue";
    const auto closed = std::chrono::steady_clock::now();
    socket.Close();
    ASSERT_EQ(connect.wait_for(2s), std::future_status::ready);
    EXPECT_FALSE(connect.get());
    EXPECT_LT(std::chrono::steady_clock::now() - closed, 1s);
}

TEST(Socket, NonBlockingConnectCompletesThroughWait)
{
    testing_support::LoopbackPort listener;
    platform::CSocket socket;
    ASSERT_TRUE(socket.Create());
    socket.SetBlocking(false);
    if (!socket.Connect(Loopback(listener))) {
        EXPECT_TRUE(platform::IsWouldBlock(platform::LastSocketError()));
    }
    platform::SocketReadiness readiness;
    ASSERT_EQ(socket.Wait(false, true, 2000, readiness), platform::SocketWait::Ready);
    EXPECT_TRUE(readiness.writable);
    EXPECT_EQ(socket.PendingError(), 0);

    char buffer[4];
    EXPECT_EQ(socket.Receive(buffer, sizeof buffer), -1);
    EXPECT_TRUE(platform::IsWouldBlock(platform::LastSocketError()));
    EXPECT_EQ(socket.Wait(true, false, 50, readiness), platform::SocketWait::TimedOut);

    const auto peer = listener.Accept();
    loopback::SendAll(peer, "x");
    ASSERT_EQ(socket.Wait(true, false, 2000, readiness), platform::SocketWait::Ready);
    EXPECT_TRUE(readiness.readable);
    EXPECT_EQ(socket.Receive(buffer, sizeof buffer), 1);
    loopback::CloseSocket(peer);
}

TEST(Socket, WaitOrWakeEndsOnReadinessWakeOrCloseAndCreateWaitsForTheWaiter)
{
    testing_support::LoopbackPort listener;
    platform::CSocket socket;
    platform::CWakeup wakeup;
    ASSERT_TRUE(socket.Create());
    ASSERT_TRUE(socket.Connect(Loopback(listener)));
    const auto peer = listener.Accept();

    // Nothing to read and nothing to write wanted: the whole time passes.
    EXPECT_FALSE(socket.WaitOrWake(true, false, wakeup, 50));
    EXPECT_TRUE(socket.WaitOrWake(true, true, wakeup, 2000));
    // A wake given before the wait ends it at once, and only once.
    wakeup.Wake();
    wakeup.Wake();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(socket.WaitOrWake(true, false, wakeup, 5000));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_FALSE(wakeup.Wait(0));
    loopback::SendAll(peer, "x");
    EXPECT_TRUE(socket.WaitOrWake(true, false, wakeup, 2000));

    // Closed under a long wait, the wait ends; a new descriptor waits for it to leave.
    char buffer[4];
    EXPECT_EQ(socket.Receive(buffer, sizeof buffer), 1);
    auto waiting = std::async(std::launch::async, [&] { return socket.WaitOrWake(true, false, wakeup, 5000); });
    std::this_thread::sleep_for(50ms);
    socket.Close();
    EXPECT_TRUE(socket.Create());
    ASSERT_EQ(waiting.wait_for(1s), std::future_status::ready);
    EXPECT_FALSE(waiting.get());
    loopback::CloseSocket(peer);
}

TEST(Socket, ResolvesDottedAddressesAndNamesToIpv4)
{
    EXPECT_EQ(platform::ResolveHostIpv4("127.0.0.1"), std::vector<std::string>{"127.0.0.1"});
    const auto local = platform::ResolveHostIpv4("localhost");
    EXPECT_NE(std::find(local.begin(), local.end(), "127.0.0.1"), local.end());
    EXPECT_TRUE(platform::ResolveHostIpv4("").empty());
    EXPECT_TRUE(platform::ResolveHostIpv4("no-such-host.invalid").empty());

    EXPECT_EQ(platform::ParseIpv4("10.1.2.3"), 0x0A010203u);
    EXPECT_EQ(platform::ParseIpv4("not an address"), 0xFFFFFFFFu);
    EXPECT_EQ(platform::FormatIpv4(0x7F000001u), "127.0.0.1");
}

TEST(Socket, StartupAndCleanupCount)
{
    const int base = platform::SocketStartupCount();
    EXPECT_TRUE(platform::SocketStartup());
    EXPECT_TRUE(platform::SocketStartup());
    EXPECT_EQ(platform::SocketStartupCount(), base + 2);
    EXPECT_TRUE(platform::SocketCleanup());
    EXPECT_TRUE(platform::SocketCleanup());
    EXPECT_EQ(platform::SocketStartupCount(), base);
    if (base == 0) {
        EXPECT_FALSE(platform::SocketCleanup());
    }
}

}  // namespace
