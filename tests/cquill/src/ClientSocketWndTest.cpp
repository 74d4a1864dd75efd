#include <condition_variable>
#include <mutex>
#include <thread>

#include <gtest/gtest.h>

#include "cquill/src/ClientSocketWnd.h"
#include "platform/thread_window.h"
#include "tests/cquill/src/SocketEvents.h"

namespace {

using cquill_test::SocketEvents;
using quill::net::CClientSocketWnd;

class ClientSocketWndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(window.Create());
        window.SetTargetFactory(&target);
        ASSERT_EQ(window.GetSocketListener(), &window);
    }

    SocketEvents target;
    CClientSocketWnd window;
};

TEST_F(ClientSocketWndTest, WindowsAreNumberedInCreationOrder)
{
    CClientSocketWnd next;
    ASSERT_TRUE(next.Create());
    EXPECT_GT(window.ChildId(), 100u);
    EXPECT_EQ(next.ChildId(), window.ChildId() + 1);
}

TEST_F(ClientSocketWndTest, WorkerEventsReachTheTargetOnTheWindowThread)
{
    std::thread worker([&] {
        window.OnSocketConnecting(nullptr);
        window.OnSocketConnect(nullptr, 0);
        EXPECT_EQ(window.OnSocketReceive(nullptr, "\x09\x00\x00\x00", 4), 1);
        window.OnSocketSend(nullptr, 20);
        window.OnSocketClose(nullptr);
    });
    worker.join();
    EXPECT_TRUE(target.Events().empty());
    EXPECT_EQ(platform::DispatchThreadMessages(0), 5);
    EXPECT_EQ(target.Events(),
              (std::vector<std::string>{"connecting", "connect 0", "receive 09 00 00 00", "send 20", "close"}));
}

TEST_F(ClientSocketWndTest, OneReceiveMessageDeliversEveryQueuedPacket)
{
    window.OnSocketSend(nullptr, 5);
    window.OnSocketReceive(nullptr, "\x01", 1);
    window.OnSocketReceive(nullptr, "\x02", 1);
    EXPECT_EQ(platform::DispatchThreadMessages(0), 3);
    // The first receive message delivers both packets; the second finds the queue empty.
    EXPECT_EQ(target.Events(), (std::vector<std::string>{"send 5", "receive 01", "receive 02"}));
}

// A binary semaphore: std::binary_semaphore of MinGW's GCC 12 waits forever on Windows
// (its atomic wait misses a release where the system has no futex).
class Signal {
public:
    void release()
    {
        std::lock_guard guard(lock_);
        raised_ = true;
        changed_.notify_all();
    }
    void acquire()
    {
        std::unique_lock guard(lock_);
        changed_.wait(guard, [this] { return raised_; });
        raised_ = false;
    }

private:
    std::mutex lock_;
    std::condition_variable changed_;
    bool raised_ = false;
};

// Lets the window's thread dispatch right after each post, while the worker waits inside it.
class DispatchAtPost : public CClientSocketWnd {
protected:
    void Post(quill::net::SocketWindowMessage message, quill::net::CCommonSocket* socket, std::intptr_t lParam) override
    {
        CClientSocketWnd::Post(message, socket, lParam);
        posted.release();
        dispatched.acquire();
    }

public:
    Signal posted;
    Signal dispatched;
};

TEST(ClientSocketWndPostTest, APacketIsQueuedBeforeItsWindowHearsOfIt)
{
    // Otherwise a dispatch between the two finds nothing, and a packet that is the last of
    // its burst waits for a next one that may never come.
    SocketEvents target;
    DispatchAtPost window;
    ASSERT_TRUE(window.Create());
    window.SetTargetFactory(&target);
    window.GetSocketListener();
    std::thread worker([&] { window.OnSocketReceive(nullptr, "\x07", 1); });
    window.posted.acquire();
    EXPECT_EQ(platform::DispatchThreadMessages(0), 1);
    window.dispatched.release();
    worker.join();
    EXPECT_EQ(target.Events(), (std::vector<std::string>{"receive 07"}));
}

TEST_F(ClientSocketWndTest, WithoutTargetPacketsStayQueuedAndDieWithTheWindow)
{
    window.ReleaseSocketListener(&window);
    window.OnSocketReceive(nullptr, "\x01", 1);
    EXPECT_EQ(platform::DispatchThreadMessages(0), 1);
    EXPECT_TRUE(target.Events().empty());
    window.GetSocketListener();
    window.OnSocketReceive(nullptr, "\x02", 1);
    EXPECT_EQ(platform::DispatchThreadMessages(0), 1);
    EXPECT_EQ(target.Events(), (std::vector<std::string>{"receive 01", "receive 02"}));

    // Left undelivered: freed with the window (the leak checker watches).
    window.OnSocketReceive(nullptr, "\x03", 1);
}

}  // namespace
