#include "platform/testing/loopback_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform::testing {
namespace {

sockaddr_in LoopbackAddress(std::uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

// Set on every listener: a restarted one takes its port back while the closed
// connections of the one before wait out their time only when both carry it.
void ReuseAddress(int descriptor)
{
    const int reuse = 1;
    setsockopt(descriptor, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
}

}  // namespace

SocketHandle OpenLoopbackPort(bool listening, int backlog, std::uint16_t& port)
{
    const int descriptor = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (descriptor >= 0 && listening)
        ReuseAddress(descriptor);
    sockaddr_in address = LoopbackAddress(port);
    socklen_t length = sizeof address;
    if (descriptor < 0 || bind(descriptor, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        getsockname(descriptor, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        (listening && listen(descriptor, backlog) != 0)) {
        if (descriptor >= 0)
            close(descriptor);
        return kNoSocket;
    }
    port = ntohs(address.sin_port);
    return descriptor;
}

SocketHandle ConnectLoopback(std::uint16_t port)
{
    const int descriptor = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = LoopbackAddress(port);
    if (descriptor >= 0 && connect(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return descriptor;
    if (descriptor >= 0)
        close(descriptor);
    return kNoSocket;
}

SocketHandle AcceptConnection(SocketHandle listener, int timeoutMs)
{
    if (!WaitReadable(listener, timeoutMs))
        return kNoSocket;
    const int connection = accept4(static_cast<int>(listener), nullptr, nullptr, SOCK_CLOEXEC);
    return connection < 0 ? kNoSocket : connection;
}

bool WaitReadable(SocketHandle socket, int timeoutMs)
{
    pollfd waiting{static_cast<int>(socket), POLLIN, 0};
    return poll(&waiting, 1, timeoutMs) == 1;
}

std::ptrdiff_t SendBytes(SocketHandle socket, const char* data, std::size_t size)
{
    return send(static_cast<int>(socket), data, size, MSG_NOSIGNAL);
}

std::ptrdiff_t ReceiveBytes(SocketHandle socket, char* buffer, std::size_t size)
{
    return recv(static_cast<int>(socket), buffer, size, 0);
}

void EndSending(SocketHandle socket)
{
    shutdown(static_cast<int>(socket), SHUT_WR);
}

void CloseSocket(SocketHandle socket)
{
    if (socket != kNoSocket)
        close(static_cast<int>(socket));
}

void WaitPeerHangUp(SocketHandle socket)
{
    pollfd hangUp{static_cast<int>(socket), POLLRDHUP, 0};
    while (poll(&hangUp, 1, -1) < 0 || (hangUp.revents & (POLLRDHUP | POLLHUP | POLLERR)) == 0) {
    }
}

}  // namespace platform::testing
