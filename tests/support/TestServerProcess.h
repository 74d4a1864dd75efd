#pragma once
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/testing/loopback_socket.h"
#include "tests/support/ChildProcess.h"

namespace testing_support {

// A Linux-side test server (tools/cquill-test-server, tools/sdr-test-server) started
// by a test: its own child where the tests run on Linux; under wine, which starts a
// Linux program but gives neither its handle nor its output, through the relay the
// test runner starts beside the test program (tests/support/server_relay.py, its
// port in $VEXA_TEST_SERVER_RELAY). Killed when the object goes away.
class TestServerProcess {
public:
    TestServerProcess(const std::string& name, const std::vector<std::string>& arguments);
    ~TestServerProcess();
    TestServerProcess(const TestServerProcess&) = delete;
    TestServerProcess& operator=(const TestServerProcess&) = delete;

    bool Running();
    std::string Stdout();
    std::string Stderr();

private:
    void ReadFrames();
    bool TakeFrame();

    std::unique_ptr<ChildProcess> child_;
    platform::testing::SocketHandle relay_ = platform::testing::kNoSocket;
    std::mutex lock_;
    std::string pending_;
    std::string stdout_;
    std::string stderr_;
    bool ended_ = false;
    bool stopping_ = false;
    std::thread reader_;
};

}  // namespace testing_support
