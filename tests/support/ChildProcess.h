#pragma once
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/testing/child_process.h"

namespace testing_support {

// Members left out of a brace list stay empty.
struct ChildOptions {
    std::vector<std::string> arguments{};
    // Added to (or replacing entries of) the test's own environment.
    std::vector<std::pair<std::string, std::string>> environment{};
    // Empty: the test's own working folder.
    std::string workingFolder{};
    // Written to the child's standard input, which is then closed.
    std::string input{};
};

// A program started by a test, its standard output and error captured. The child
// is killed and reaped when the object goes away.
class ChildProcess {
public:
    explicit ChildProcess(const std::string& program, ChildOptions options = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // True when the child ended within the time-out.
    bool Wait(std::chrono::milliseconds timeout = std::chrono::seconds(30));
    bool Running();
    void Kill(int signal = 9);

    unsigned Pid() const { return child_.id; }
    // The exit code once ended normally; -1 while running or when killed by a signal.
    int ExitCode() const { return exitCode_; }
    // The signal that ended the child, 0 if none.
    int TermSignal() const { return termSignal_; }

    // Output so far; complete once Wait returned true.
    std::string Stdout();
    std::string Stderr();

private:
    void Reap(bool block);
    void ReadOutput();

    platform::testing::ChildHandles child_;
    int exitCode_ = -1;
    int termSignal_ = 0;
    bool ended_ = false;
    std::mutex outputLock_;
    std::string stdout_;
    std::string stderr_;
    bool stopReading_ = false;
    std::thread reader_;
};

}  // namespace testing_support
