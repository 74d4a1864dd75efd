#pragma once
#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace platform::testing {

// A program started on a pseudo-terminal of its own, as a person at a terminal runs
// it: standard input, output and error are the terminal, and Ctrl+C typed into it
// reaches the program as SIGINT. The child is killed and reaped when the object goes.
// POSIX only: Windows consoles have no such terminal to type into.
class CTerminalProcess {
public:
    CTerminalProcess(const std::string& program, const std::vector<std::string>& arguments,
                     const std::vector<std::pair<std::string, std::string>>& environment = {});
    ~CTerminalProcess();
    CTerminalProcess(const CTerminalProcess&) = delete;
    CTerminalProcess& operator=(const CTerminalProcess&) = delete;

    // Types text into the terminal ("\x03" is Ctrl+C).
    void Type(const std::string& text);
    // True once the output holds text after position from, within the time-out.
    bool WaitForOutput(const std::string& text, std::size_t from = 0,
                       std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // True when the child ended within the time-out; the output is then complete.
    bool Wait(std::chrono::milliseconds timeout = std::chrono::seconds(20));

    const std::string& Output() const { return output_; }
    int ExitCode() const { return exitCode_; }
    int TermSignal() const { return termSignal_; }

private:
    // Reads what is there, waiting up to the time for something: the bytes read, 0 for
    // none yet, -1 once the terminal has ended.
    int Read(std::chrono::milliseconds timeout);
    bool Reap();

    int pid_ = -1;
    int master_ = -1;
    std::string output_;
    bool ended_ = false;
    int exitCode_ = -1;
    int termSignal_ = 0;
};

}  // namespace platform::testing
