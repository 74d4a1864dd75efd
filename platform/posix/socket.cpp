#include "platform/socket.h"

#include "platform/common/socket_internal.h"
#include "platform/wakeup.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

using detail::FailSocketCall;

namespace {

int Fd(std::intptr_t descriptor)
{
    return static_cast<int>(descriptor);
}

short PollEvents(bool forRead, bool forWrite)
{
    return static_cast<short>((forRead ? POLLIN : 0) | (forWrite ? POLLOUT : 0));
}

std::timespec TimespecOf(std::int64_t microseconds)
{
    return {static_cast<std::time_t>(microseconds / 1000000), static_cast<long>((microseconds % 1000000) * 1000)};
}

// One call, repeated when a signal interrupted it; -1 with the error recorded.
std::ptrdiff_t Retried(const std::function<ssize_t()>& call)
{
    while (true) {
        const ssize_t count = call();
        if (count >= 0)
            return count;
        if (errno != EINTR) {
            FailSocketCall(errno);
            return -1;
        }
    }
}

}  // namespace

// Sockets need no start-up on this system: only the count is kept.
bool SocketStartup()
{
    detail::CountSocketStartup();
    return true;
}

bool SocketCleanup()
{
    return detail::UncountSocketStartup();
}

std::string SocketErrorText(int code)
{
    // A number the system has no name for would get an invented "Unknown error N".
    if (code != 0 && !strerrorname_np(code))
        return {};
    char buffer[256] = {};
    // The GNU variant may return a static text instead of filling the buffer.
    const char* text = strerror_r(code, buffer, sizeof buffer);
    return text ? std::string(text) : std::string();
}

bool IsWouldBlock(int code)
{
    return code == EAGAIN || code == EWOULDBLOCK || code == EINPROGRESS;
}

std::uint32_t ParseIpv4(const std::string& dotted)
{
    return ntohl(inet_addr(dotted.c_str()));
}

std::string FormatIpv4(std::uint32_t address)
{
    in_addr raw{};
    raw.s_addr = htonl(address);
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &raw, text, sizeof text);
    return text;
}

std::vector<std::string> ResolveHostIpv4(const std::string& host)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    std::vector<std::string> addresses;
    if (host.empty() || getaddrinfo(host.c_str(), nullptr, &hints, &list) != 0)
        return addresses;
    for (const addrinfo* item = list; item; item = item->ai_next) {
        const auto* address = reinterpret_cast<const sockaddr_in*>(item->ai_addr);
        addresses.push_back(FormatIpv4(ntohl(address->sin_addr.s_addr)));
    }
    freeaddrinfo(list);
    return addresses;
}

bool CSocket::OpenDescriptors()
{
    // The descriptor is always non-blocking: blocking calls wait in poll() beside the
    // wake-up descriptor, so Close() from another thread can always end the wait.
    const int descriptor = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (descriptor < 0)
        return FailSocketCall(errno);
    const int wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wake < 0) {
        const int code = errno;
        close(descriptor);
        return FailSocketCall(code);
    }
    descriptor_ = descriptor;
    wakeDescriptor_ = wake;
    return true;
}

void CSocket::SignalClose()
{
    // The wake-up comes first so that a poll woken by the shutdown sees it too.
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = write(Fd(wakeDescriptor_), &one, sizeof one);
    shutdown(Fd(descriptor_), SHUT_RDWR);
}

void CSocket::ReleaseDescriptors()
{
    close(Fd(descriptor_));
    close(Fd(wakeDescriptor_));
}

// Waits (inside a CUse) until the socket is ready for the events or is closed.
bool CSocket::WaitReady(bool forRead, bool forWrite)
{
    pollfd fds[2] = {{Fd(descriptor_), PollEvents(forRead, forWrite), 0}, {Fd(wakeDescriptor_), POLLIN, 0}};
    while (true) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return FailSocketCall(errno);
        }
        if (fds[1].revents)
            return FailSocketCall(detail::kSocketClosedError);
        if (fds[0].revents)
            return true;
    }
}

bool CSocket::Connect(const Ipv4Endpoint& endpoint)
{
    CUse use(*this);
    if (!use)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(endpoint.port);
    address.sin_addr.s_addr = htonl(endpoint.address);
    if (connect(Fd(descriptor_), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return true;
    if (errno != EINPROGRESS || !blocking_)
        return FailSocketCall(errno);
    if (!WaitReady(false, true))
        return false;
    int code = 0;
    socklen_t length = sizeof code;
    if (getsockopt(Fd(descriptor_), SOL_SOCKET, SO_ERROR, &code, &length) != 0)
        return FailSocketCall(errno);
    return code == 0 || FailSocketCall(code);
}

std::ptrdiff_t CSocket::SendOnce(const void* data, std::size_t size)
{
    return Retried([&] { return send(Fd(descriptor_), data, size, MSG_NOSIGNAL); });
}

std::ptrdiff_t CSocket::ReceiveOnce(void* buffer, std::size_t size)
{
    return Retried([&] { return recv(Fd(descriptor_), buffer, size, 0); });
}

SocketWait CSocket::WaitFor(bool forRead, bool forWrite, std::int64_t timeoutUs, SocketReadiness& readiness)
{
    readiness = {};
    CUse use(*this);
    if (!use)
        return SocketWait::Failed;
    pollfd fds[2] = {{Fd(descriptor_), PollEvents(forRead, forWrite), 0}, {Fd(wakeDescriptor_), POLLIN, 0}};
    const std::timespec timeout = TimespecOf(timeoutUs);
    const int count = ppoll(fds, 2, timeoutUs < 0 ? nullptr : &timeout, nullptr);
    if (count < 0) {
        FailSocketCall(errno);
        return SocketWait::Failed;
    }
    if (fds[1].revents) {
        FailSocketCall(detail::kSocketClosedError);
        return SocketWait::Failed;
    }
    if (count == 0)
        return SocketWait::TimedOut;
    readiness.readable = fds[0].revents & POLLIN;
    readiness.writable = fds[0].revents & POLLOUT;
    readiness.failed = fds[0].revents & (POLLERR | POLLHUP);
    return SocketWait::Ready;
}

bool CSocket::WaitOrWake(bool forRead, bool forWrite, CWakeup& wakeup, int timeoutMs)
{
    CUse use(*this);
    if (!use)
        return false;
    pollfd fds[3] = {{Fd(descriptor_), PollEvents(forRead, forWrite), 0},
                     {Fd(wakeDescriptor_), POLLIN, 0},
                     {Fd(wakeup.descriptor_), POLLIN, 0}};
    const int count = poll(fds, 3, timeoutMs);
    if (count > 0 && fds[2].revents)
        wakeup.Consume();
    return count > 0 && !fds[1].revents;
}

int CSocket::PendingError()
{
    CUse use(*this);
    if (!use)
        return LastSocketError();
    int code = 0;
    socklen_t length = sizeof code;
    if (getsockopt(Fd(descriptor_), SOL_SOCKET, SO_ERROR, &code, &length) != 0)
        return errno;
    return code;
}

}  // namespace platform
