#pragma once
#include "platform/socket.h"

namespace platform::detail {

// The error numbers the socket layer reports for its own reasons, in the system's
// numbering (errno on Linux, Windows Sockets codes on Windows).
#ifdef _WIN32
constexpr int kSocketClosedError = 10053;     // a call on a socket being closed: aborted
constexpr int kNoSocketError = 10038;         // no socket open
constexpr int kSocketConnectedError = 10056;  // a second Create on an open socket
#else
constexpr int kSocketClosedError = 103;
constexpr int kNoSocketError = 9;
constexpr int kSocketConnectedError = 106;
#endif

// Start-up counting; the system's own start-up is the caller's to do first.
void CountSocketStartup();
// False when there was no start-up left to end.
bool UncountSocketStartup();

// Records the code as the calling thread's last socket error; returns false.
bool FailSocketCall(int code);

}  // namespace platform::detail

namespace platform {

// Keeps the descriptor alive for the duration of one call.
class CSocket::CUse {
public:
    explicit CUse(CSocket& socket) : socket_(socket), entered_(socket.Enter()) {}
    ~CUse()
    {
        if (entered_)
            socket_.Leave();
    }
    explicit operator bool() const { return entered_; }

private:
    CSocket& socket_;
    bool entered_;
};

}  // namespace platform
