#pragma once
#include <string>
#include <vector>

namespace test_server {

// One thing the server does on a connection, in script order.
struct Step {
    enum Kind {
        Echo,       // answer `count` packets (0: every packet until the peer closes)
        Read,       // read `count` packets without answering
        Write,      // write `bytes` in one write
        WriteSplit, // write `bytes` one byte per write, `splitPauseMs` apart
        Wait,       // pause `count` milliseconds
        Close,      // close the connection
        Silent,     // read without answering until the peer closes
        NoRead,     // never read; hold the connection until the peer closes
    };
    Kind kind = Silent;
    unsigned long count = 0;
    std::string bytes;
};

constexpr int splitPauseMs = 10;

// One step from its text, e.g. "echo", "send=tid=1,1001:4142/1002:", "raw=09008000";
// throws std::invalid_argument naming what is wrong.
Step ParseStep(const std::string& text);
// The steps of a script file: one a line; blank lines and lines starting with '#' are
// skipped. Throws std::invalid_argument naming the line.
std::vector<Step> LoadScript(const std::string& path);

}  // namespace test_server
