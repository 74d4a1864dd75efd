#pragma once
#include <vector>

namespace quill::net {

// One listener call that a socket recorded under its state lock and makes after releasing
// it, so that no thread waiting for that lock waits for a listener.
struct CSocketEvent {
    enum class Kind { Connecting, Connect, Send, Receive, Close };

    explicit CSocketEvent(Kind what, int number = 0, bool closeAfterReport = false)
        : kind(what), value(number), closeAfter(closeAfterReport)
    {
    }

    Kind kind;
    // Connect: the error (0 = connected); Send: the bytes written.
    int value = 0;
    // Connect with an error: the failed socket is closed after the report, unless the
    // listener has closed or reconnected it meanwhile.
    bool closeAfter = false;
    // Receive: the complete packets of one read, back to back.
    std::vector<char> packets;
};

}  // namespace quill::net
