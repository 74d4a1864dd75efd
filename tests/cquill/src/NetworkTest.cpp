// The network manager's worker against the test game server: how often it wakes, and how
// soon it answers work while it waits.
#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "cquill/src/Network.h"
#include "tests/support/GameTestServer.h"

namespace {

using namespace std::chrono_literals;
using testing_support::GameTestServer;

std::atomic<std::uint32_t> fakeTicks = 1000;

std::uint32_t FakeTickCount()
{
    return fakeTicks;
}

class CountingListener : public INetworkListener {
public:
    int OnReceiveMessage(INetwork*, IMessage*) override
    {
        ++messages;
        return 1;
    }
    void OnStatusChanged(INetwork*, int, int to) override { status = to; }

    std::atomic<int> messages = 0;
    std::atomic<int> status = 0;
};

template <class Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds timeout = 5s)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

class NetworkWorker : public ::testing::Test {
protected:
    void Connect(const GameTestServer& server)
    {
        network.SetTickSource(&FakeTickCount);
        network.Initialize(&listener, false);
        ASSERT_EQ(network.Connect("127.0.0.1", server.Port()), 1);
        ASSERT_TRUE(WaitUntil([&] { return listener.status == 2; }));
    }
    // Steps the worker runs in two seconds.
    unsigned StepsInTwoSeconds()
    {
        const unsigned before = network.StepCount();
        std::this_thread::sleep_for(2s);
        return network.StepCount() - before;
    }
    std::chrono::milliseconds Echo()
    {
        varo::Message message;
        const int before = listener.messages;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(network.SendMessage(&message), 1);
        EXPECT_TRUE(WaitUntil([&] { return listener.messages > before; }));
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    }

    CountingListener listener;
    quill::net::CNetwork network;
};

TEST_F(NetworkWorker, WaitsForWorkInsteadOfPolling)
{
    GameTestServer server({"send=tid=1", "echo"});
    Connect(server);
    ASSERT_TRUE(WaitUntil([&] { return listener.messages == 1; }));

    // Idle, the worker sleeps until its wait's bound; work ends the wait at once.
    EXPECT_LE(StepsInTwoSeconds(), 30u);
    std::this_thread::sleep_for(300ms);
    EXPECT_LT(Echo(), 500ms);
    std::this_thread::sleep_for(300ms);
    // Asked to stop during a wait, the thread ends well within the stop's one-second bound.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(network.StopThread());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
    const unsigned steps = network.StepCount();
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(network.StepCount(), steps);
}

TEST_F(NetworkWorker, TimedOutSocketWithUnreadDataWaitsForAWakeUp)
{
    GameTestServer server({"send=tid=1", "wait=300", "send=tid=2"});
    Connect(server);
    ASSERT_TRUE(WaitUntil([&] { return listener.messages == 1; }));
    fakeTicks += 100000;
    EXPECT_TRUE(network.CheckTimeout(false));
    // The second message arrives and stays unread: the socket is timed out.
    EXPECT_LE(StepsInTwoSeconds(), 30u);
    EXPECT_EQ(listener.messages, 1);

    // A close during the worker's wait returns at once.
    const auto start = std::chrono::steady_clock::now();
    network.Close();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);
    EXPECT_EQ(listener.status, 0);
}

}  // namespace
