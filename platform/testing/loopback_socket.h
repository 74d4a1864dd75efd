#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace platform::testing {

// TCP sockets on 127.0.0.1 for a test's own end of a connection: a descriptor on
// POSIX, a SOCKET on Windows; kNoSocket when there is none.
using SocketHandle = std::intptr_t;
constexpr SocketHandle kNoSocket = -1;

// A socket bound to the port asked for (0: one of the system's choosing; set to the
// port bound), listening when asked; kNoSocket when it cannot be opened. A listener
// takes a port asked for also while closed connections of an earlier listener linger.
SocketHandle OpenLoopbackPort(bool listening, int backlog, std::uint16_t& port);
// A connection to the port on 127.0.0.1; kNoSocket when it was refused.
SocketHandle ConnectLoopback(std::uint16_t port);
// The next connection within timeoutMs (< 0: no limit); kNoSocket when none came.
SocketHandle AcceptConnection(SocketHandle listener, int timeoutMs);
// True when something can be read (or the peer closed) within timeoutMs.
bool WaitReadable(SocketHandle socket, int timeoutMs);
// Bytes moved, -1 on an error; 0 from ReceiveBytes when the peer closed. A closed peer
// never ends the test's process.
std::ptrdiff_t SendBytes(SocketHandle socket, const char* data, std::size_t size);
std::ptrdiff_t ReceiveBytes(SocketHandle socket, char* buffer, std::size_t size);
// Tells the peer that nothing more will be sent; receiving goes on.
void EndSending(SocketHandle socket);
void CloseSocket(SocketHandle socket);

// Waits until the peer closed its side, without taking a byte, so whatever it sent
// stays queued. POSIX only: Windows tells a hang-up only after the bytes before it
// were read.
void WaitPeerHangUp(SocketHandle socket);

// Sends every byte; false when the connection failed first.
inline bool SendAll(SocketHandle socket, std::string_view bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::ptrdiff_t sent = SendBytes(socket, bytes.data() + done, bytes.size() - done);
        if (sent <= 0)
            return false;
        done += static_cast<std::size_t>(sent);
    }
    return true;
}

}  // namespace platform::testing
