#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace platform::testing {

// The test's end of a pipe to a child: a descriptor on POSIX, a HANDLE on Windows.
using PipeHandle = std::intptr_t;
constexpr PipeHandle kNoPipe = -1;

using Environment = std::vector<std::pair<std::string, std::string>>;

// The test's own environment as "NAME=value" texts (UTF-8).
std::vector<std::string> OwnEnvironment();
// The same with the extra entries added or replaced, sorted by name.
std::vector<std::string> MergedEnvironment(const Environment& extra);

struct ChildStart {
    std::string program;                 // UTF-8 path
    std::vector<std::string> arguments;  // after the program's own name
    Environment environment;             // added to, or replacing entries of, the test's own
    std::string workingFolder;           // empty: the test's own
};

// A started child and the test's ends of its standard input, output and error.
struct ChildHandles {
    std::intptr_t process = -1;  // pid on POSIX, process HANDLE on Windows
    unsigned id = 0;
    PipeHandle input = kNoPipe;
    PipeHandle output = kNoPipe;
    PipeHandle error = kNoPipe;
    int killedWith = 0;  // the signal a kill asked for, where the system has none
};

struct ChildEnd {
    int exitCode = -1;  // -1 when a signal ended it
    int signal = 0;
};

// False when the child could not be started.
bool StartChild(const ChildStart& start, ChildHandles& child);
// Whether the child has ended (waiting for it when block); end tells how.
bool ReapChild(ChildHandles& child, bool block, ChildEnd& end);
// Ends the child with the signal (9 kills). Windows has no signals: the child is
// terminated and reported as ended by that signal.
void KillChild(ChildHandles& child, int signal);
// Frees what the system keeps for an ended child.
void ReleaseChild(ChildHandles& child);
// True when the test process has no child left, neither running nor waiting to be
// reaped. Windows keeps no child for its parent to reap: true there.
bool NoChildrenLeft();

// Bytes read; 0 at the end of the pipe; -1 when nothing came within timeoutMs.
std::ptrdiff_t ReadPipe(PipeHandle pipe, char* buffer, std::size_t size, int timeoutMs);
// Writes what it can (the child may have closed its end) and closes the pipe.
void WriteAndClosePipe(PipeHandle pipe, const std::string& bytes);
void ClosePipe(PipeHandle pipe);

}  // namespace platform::testing
