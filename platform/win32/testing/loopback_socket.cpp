#include "platform/testing/loopback_socket.h"

#include <winsock2.h>

#include <algorithm>
#include <climits>

namespace platform::testing {
namespace {

// Started once for the test process and never ended: tests open sockets until exit.
void StartSockets()
{
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    (void)started;
}

int ChunkSize(std::size_t size)
{
    return static_cast<int>(std::min<std::size_t>(size, INT_MAX));
}

}  // namespace

SocketHandle OpenLoopbackPort(bool listening, int backlog, std::uint16_t& port)
{
    StartSockets();
    const SOCKET handle = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    int length = sizeof address;
    if (handle == INVALID_SOCKET || bind(handle, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        getsockname(handle, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        (listening && listen(handle, backlog) != 0)) {
        if (handle != INVALID_SOCKET)
            closesocket(handle);
        return kNoSocket;
    }
    port = ntohs(address.sin_port);
    return static_cast<SocketHandle>(handle);
}

SocketHandle ConnectLoopback(std::uint16_t port)
{
    StartSockets();
    const SOCKET handle = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (handle != INVALID_SOCKET && connect(handle, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        return static_cast<SocketHandle>(handle);
    if (handle != INVALID_SOCKET)
        closesocket(handle);
    return kNoSocket;
}

SocketHandle AcceptConnection(SocketHandle listener, int timeoutMs)
{
    if (!WaitReadable(listener, timeoutMs))
        return kNoSocket;
    const SOCKET connection = accept(static_cast<SOCKET>(listener), nullptr, nullptr);
    return connection == INVALID_SOCKET ? kNoSocket : static_cast<SocketHandle>(connection);
}

bool WaitReadable(SocketHandle socket, int timeoutMs)
{
    WSAPOLLFD waiting{static_cast<SOCKET>(socket), POLLRDNORM, 0};
    return WSAPoll(&waiting, 1, timeoutMs) == 1;
}

std::ptrdiff_t SendBytes(SocketHandle socket, const char* data, std::size_t size)
{
    const int sent = send(static_cast<SOCKET>(socket), data, ChunkSize(size), 0);
    return sent == SOCKET_ERROR ? -1 : sent;
}

std::ptrdiff_t ReceiveBytes(SocketHandle socket, char* buffer, std::size_t size)
{
    const int got = recv(static_cast<SOCKET>(socket), buffer, ChunkSize(size), 0);
    return got == SOCKET_ERROR ? -1 : got;
}

void EndSending(SocketHandle socket)
{
    shutdown(static_cast<SOCKET>(socket), SD_SEND);
}

void CloseSocket(SocketHandle socket)
{
    if (socket != kNoSocket)
        closesocket(static_cast<SOCKET>(socket));
}

}  // namespace platform::testing
