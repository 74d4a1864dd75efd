#include "tests/support/GameTestServer.h"

#include <stdexcept>
#include <thread>

namespace testing_support {

GameTestServer::GameTestServer(const std::vector<std::string>& arguments)
{
    child_ = std::make_unique<TestServerProcess>("cquill-test-server", arguments);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (child_->Stdout().find('\n') == std::string::npos) {
        if (std::chrono::steady_clock::now() > deadline || !child_->Running())
            throw std::runtime_error("cquill-test-server did not start: " + child_->Stderr());
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    port_ = static_cast<std::uint16_t>(std::stoul(child_->Stdout()));
}

std::string GameTestServer::Events()
{
    const std::string output = child_->Stdout();
    return output.substr(output.find('\n') + 1);
}

bool GameTestServer::WaitForEvent(const std::string& line, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (("\n" + Events()).find("\n" + line + "\n") == std::string::npos) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace testing_support
