#pragma once
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/TestServerProcess.h"

namespace testing_support {

// tools/cquill-test-server on a free loopback port, running the given arguments (options
// and steps, e.g. {"--pids", "1001", "echo"}); killed when the object goes away.
class GameTestServer {
public:
    explicit GameTestServer(const std::vector<std::string>& arguments);

    std::uint16_t Port() const { return port_; }
    // Its standard output after the port line: one event a line.
    std::string Events();
    // True once a line equal to `line` appeared within the time-out.
    bool WaitForEvent(const std::string& line, std::chrono::milliseconds timeout = std::chrono::seconds(10));

private:
    std::unique_ptr<TestServerProcess> child_;
    std::uint16_t port_ = 0;
};

}  // namespace testing_support
