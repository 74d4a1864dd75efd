#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/testing/loopback_socket.h"
#include "platform/thread_window.h"
#include "platform/threading.h"

namespace {

// Messages below it are the system's own on Windows; the tests post from it upwards.
constexpr unsigned kFirst = 0x400;

// Whether the thread's message descriptor is readable. Windows has no such descriptor
// (the thread's own message loop sees the messages), so there nothing is checked.
void ExpectReadable(bool expected)
{
#ifdef _WIN32
    EXPECT_EQ(platform::ThreadMessageDescriptor(), -1);
    static_cast<void>(expected);
#else
    EXPECT_EQ(platform::testing::WaitReadable(platform::ThreadMessageDescriptor(), 0), expected);
#endif
}

// Records each message with the thread that delivered it.
class Recorder : public platform::IWindowProcedure {
public:
    std::intptr_t HandleMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override
    {
        messages.push_back((message - kFirst) * 100 + static_cast<unsigned>(wParam + static_cast<std::uintptr_t>(lParam)));
        threads.push_back(platform::CurrentThreadId());
        if (onMessage)
            onMessage();
        return 1;
    }

    std::vector<unsigned> messages;
    std::vector<unsigned> threads;
    std::function<void()> onMessage;
};

}  // namespace

TEST(ThreadWindow, PostsFromAnyThreadArriveOnlyWhenTheOwnerDispatches)
{
    Recorder recorder;
    platform::CThreadWindow window(recorder);
    ASSERT_TRUE(window.IsValid());
    ExpectReadable(false);

    std::thread poster([&] {
        window.Post(kFirst + 1, 1, 0);
        window.Post(kFirst + 2, 0, 2);
    });
    poster.join();
    EXPECT_TRUE(recorder.messages.empty());
    ExpectReadable(true);

    std::thread other([] { EXPECT_EQ(platform::DispatchThreadMessages(0), 0); });
    other.join();
    EXPECT_EQ(platform::DispatchThreadMessages(0), 2);
    EXPECT_EQ(recorder.messages, (std::vector<unsigned>{101, 202}));
    EXPECT_EQ(recorder.threads, (std::vector<unsigned>(2, platform::CurrentThreadId())));
    ExpectReadable(false);
    EXPECT_EQ(platform::DispatchThreadMessages(0), 0);
}

TEST(ThreadWindow, DispatchWaitsForTheFirstMessage)
{
    Recorder recorder;
    platform::CThreadWindow window(recorder);
    std::thread poster([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        window.Post(kFirst + 3, 0, 0);
    });
    EXPECT_EQ(platform::DispatchThreadMessages(5000), 1);
    poster.join();
    EXPECT_EQ(platform::DispatchThreadMessages(1), 0);
}

TEST(ThreadWindow, MessagesPostedDuringADispatchWaitForTheNext)
{
    Recorder recorder;
    platform::CThreadWindow window(recorder);
    recorder.onMessage = [&] {
        if (recorder.messages.size() < 3)
            window.Post(kFirst + 1, 0, 0);
    };
    window.Post(kFirst + 1, 0, 0);
    EXPECT_EQ(platform::DispatchThreadMessages(0), 1);
    ExpectReadable(true);
    EXPECT_EQ(platform::DispatchThreadMessages(0), 1);
}

TEST(ThreadWindow, AFullQueueRefusesPostsUntilTheThreadDispatches)
{
    Recorder recorder;
    platform::CThreadWindow window(recorder);
    std::thread poster([&] {
        for (std::size_t i = 0; i < platform::CThreadWindow::queueLimit; ++i)
            ASSERT_TRUE(window.Post(kFirst + 1, 0, 0));
        EXPECT_FALSE(window.Post(kFirst + 2, 0, 0));
    });
    poster.join();
    EXPECT_EQ(platform::DispatchThreadMessages(0), static_cast<int>(platform::CThreadWindow::queueLimit));
    EXPECT_TRUE(window.Post(kFirst + 3, 0, 0));
    EXPECT_EQ(platform::DispatchThreadMessages(0), 1);
    EXPECT_EQ(recorder.messages.back(), 300u);
}

TEST(ThreadWindow, DestroyingAWindowDropsItsMessagesOnly)
{
    Recorder kept;
    platform::CThreadWindow keptWindow(kept);
    Recorder dropped;
    {
        platform::CThreadWindow droppedWindow(dropped);
        droppedWindow.Post(kFirst + 1, 0, 0);
        keptWindow.Post(kFirst + 2, 0, 0);
    }
    EXPECT_EQ(platform::DispatchThreadMessages(0), 1);
    EXPECT_TRUE(dropped.messages.empty());
    EXPECT_EQ(kept.messages, (std::vector<unsigned>{200}));
}

TEST(ThreadWindow, DestroyedOnAnotherThreadItWaitsForARunningDelivery)
{
    Recorder recorder;
    auto window = std::make_unique<platform::CThreadWindow>(recorder);
    std::atomic<bool> delivering = false;
    std::atomic<bool> finished = false;
    recorder.onMessage = [&] {
        delivering = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        finished = true;
    };
    window->Post(kFirst + 1, 0, 0);
    std::thread destroyer([&] {
        while (!delivering)
            std::this_thread::yield();
        window.reset();
        EXPECT_TRUE(finished);
    });
    EXPECT_EQ(platform::DispatchThreadMessages(0), 1);
    destroyer.join();
}
