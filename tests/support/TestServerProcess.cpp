#include "tests/support/TestServerProcess.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace testing_support {

using namespace platform::testing;

namespace {

std::string RelayRequest(const std::string& name, const std::vector<std::string>& arguments)
{
    std::string request = std::to_string(arguments.size() + 1) + "\n" + name + '\0';
    for (const auto& argument : arguments)
        request += argument + '\0';
    return request;
}

std::string LinuxProgram(const std::string& name)
{
    return name.front() == '/' ? name : TEST_BIN_DIR "/" + name;
}

}  // namespace

TestServerProcess::TestServerProcess(const std::string& name, const std::vector<std::string>& arguments)
{
    const char* relayPort = std::getenv("VEXA_TEST_SERVER_RELAY");
    if (!relayPort || !*relayPort) {
        ChildOptions options;
        options.arguments = arguments;
        child_ = std::make_unique<ChildProcess>(LinuxProgram(name), options);
        return;
    }
    relay_ = ConnectLoopback(static_cast<std::uint16_t>(std::stoul(relayPort)));
    if (relay_ == kNoSocket || !SendAll(relay_, RelayRequest(name, arguments)))
        throw std::runtime_error("the server relay on port " + std::string(relayPort) + " cannot start " + name);
    reader_ = std::thread([this] { ReadFrames(); });
}

TestServerProcess::~TestServerProcess()
{
    Stop();
    if (relay_ == kNoSocket)
        return;
    {
        std::lock_guard guard(lock_);
        stopping_ = true;
    }
    reader_.join();
    CloseSocket(relay_);
}

// The relay kills the program when the test ends its side of the connection, and
// answers with the exit code once the program is gone.
void TestServerProcess::Stop()
{
    if (child_) {
        child_->Kill();
        child_->Wait();
        return;
    }
    EndSending(relay_);
    Wait(std::chrono::seconds(10));
}

void TestServerProcess::ReadFrames()
{
    for (;;) {
        {
            std::lock_guard guard(lock_);
            if (stopping_ || ended_)
                return;
        }
        if (!WaitReadable(relay_, 20))
            continue;
        char buffer[4096];
        const auto got = ReceiveBytes(relay_, buffer, sizeof buffer);
        std::lock_guard guard(lock_);
        if (got <= 0) {
            ended_ = true;
            endedChanged_.notify_all();
            return;
        }
        pending_.append(buffer, static_cast<std::size_t>(got));
        while (TakeFrame()) {
        }
    }
}

// One frame off the front of what was received: a kind byte, a 4-byte big-endian
// length and the bytes. Called with the lock held.
bool TestServerProcess::TakeFrame()
{
    if (pending_.size() < 5)
        return false;
    std::size_t length = 0;
    for (int i = 1; i < 5; ++i)
        length = length << 8 | static_cast<unsigned char>(pending_[static_cast<std::size_t>(i)]);
    if (pending_.size() < 5 + length)
        return false;
    const std::string bytes = pending_.substr(5, length);
    const char kind = pending_[0];
    pending_.erase(0, 5 + length);
    if (kind == 'o') {
        stdout_ += bytes;
    } else if (kind == 'e') {
        stderr_ += bytes;
    } else {
        // A program killed by a signal is reported as minus the signal's number.
        exitCode_ = std::max(std::atoi(bytes.c_str()), -1);
        ended_ = true;
        endedChanged_.notify_all();
    }
    return true;
}

bool TestServerProcess::Running()
{
    if (child_)
        return child_->Running();
    std::lock_guard guard(lock_);
    return !ended_;
}

bool TestServerProcess::Wait(std::chrono::milliseconds timeout)
{
    if (child_)
        return child_->Wait(timeout);
    std::unique_lock guard(lock_);
    return endedChanged_.wait_for(guard, timeout, [this] { return ended_; });
}

int TestServerProcess::ExitCode()
{
    if (child_)
        return child_->ExitCode();
    std::lock_guard guard(lock_);
    return exitCode_;
}

std::string TestServerProcess::Stdout()
{
    if (child_)
        return child_->Stdout();
    std::lock_guard guard(lock_);
    return stdout_;
}

std::string TestServerProcess::Stderr()
{
    if (child_)
        return child_->Stderr();
    std::lock_guard guard(lock_);
    return stderr_;
}

}  // namespace testing_support
