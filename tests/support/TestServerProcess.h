#pragma once
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/testing/loopback_socket.h"
#include "tests/support/ChildProcess.h"

namespace testing_support {

// A Linux-side program started by a test: a test server of the build's bin folder
// (tools/cquill-test-server, tools/sdr-test-server), named alone, or one of the
// system's programs the tests meet (nginx, openssl), named by its absolute path. It is
// the test's own child where the tests run on Linux; under wine, which starts a Linux
// program but gives neither its handle nor its output, it runs through the relay the
// test runner starts beside the test program (tests/support/server_relay.py, its port
// in $VEXA_TEST_SERVER_RELAY), which also turns arguments that are Windows paths into
// their Unix paths. Killed when the object goes away.
class TestServerProcess {
public:
    TestServerProcess(const std::string& name, const std::vector<std::string>& arguments);
    ~TestServerProcess();
    TestServerProcess(const TestServerProcess&) = delete;
    TestServerProcess& operator=(const TestServerProcess&) = delete;

    bool Running();
    // True when the program ended within the time-out.
    bool Wait(std::chrono::milliseconds timeout);
    // The exit code once ended normally; -1 while running or when killed.
    int ExitCode();
    // Kills the program and waits for its end.
    void Stop();
    std::string Stdout();
    std::string Stderr();

private:
    void ReadFrames();
    bool TakeFrame();

    std::unique_ptr<ChildProcess> child_;
    platform::testing::SocketHandle relay_ = platform::testing::kNoSocket;
    std::mutex lock_;
    std::condition_variable endedChanged_;
    std::string pending_;
    std::string stdout_;
    std::string stderr_;
    int exitCode_ = -1;
    bool ended_ = false;
    bool stopping_ = false;
    std::thread reader_;
};

}  // namespace testing_support
