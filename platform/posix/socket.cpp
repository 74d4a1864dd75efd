#include "platform/socket.h"

#include "platform/wakeup.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

std::atomic<int> startupCount{0};
thread_local int lastError = 0;

// A call on a socket that is being closed fails as an aborted connection would.
constexpr int kClosedError = ECONNABORTED;

bool Fail(int code)
{
    lastError = code;
    return false;
}

}  // namespace

bool SocketStartup()
{
    ++startupCount;
    return true;
}

bool SocketCleanup()
{
    int count = startupCount.load();
    while (count > 0) {
        if (startupCount.compare_exchange_weak(count, count - 1))
            return true;
    }
    return false;
}

int SocketStartupCount()
{
    return startupCount.load();
}

int LastSocketError()
{
    return lastError;
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

std::string FormatSocketError(int code)
{
    // Built by appending: GCC 12 warns falsely (-Wrestrict) on "[" + std::string&&.
    std::string formatted = "[";
    formatted += std::to_string(static_cast<unsigned>(code));
    formatted += ']';
    formatted += SocketErrorText(code);
    return formatted;
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

CSocket::~CSocket()
{
    Close();
}

bool CSocket::Create()
{
    std::unique_lock lock(mutex_);
    released_.wait(lock, [this] { return descriptor_ < 0 || !closing_; });
    if (descriptor_ >= 0)
        return Fail(EISCONN);
    // The descriptor is always non-blocking: blocking calls wait in poll() beside the
    // wake-up descriptor, so Close() from another thread can always end the wait.
    const int descriptor = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (descriptor < 0)
        return Fail(errno);
    const int wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wake < 0) {
        const int code = errno;
        close(descriptor);
        return Fail(code);
    }
    descriptor_ = descriptor;
    wakeDescriptor_ = wake;
    closing_ = false;
    return true;
}

bool CSocket::IsOpen() const
{
    std::lock_guard guard(mutex_);
    return descriptor_ >= 0 && !closing_;
}

bool CSocket::SetBlocking(bool blocking)
{
    blocking_ = blocking;
    return true;
}

bool CSocket::Enter()
{
    std::lock_guard guard(mutex_);
    if (descriptor_ < 0 || closing_)
        return Fail(closing_ ? kClosedError : EBADF);
    ++users_;
    return true;
}

bool CSocket::IsClosing() const
{
    std::lock_guard guard(mutex_);
    return closing_;
}

void CSocket::Leave()
{
    std::lock_guard guard(mutex_);
    --users_;
    ReleaseIfUnused();
}

void CSocket::ReleaseIfUnused()
{
    if (!closing_ || users_ > 0 || descriptor_ < 0)
        return;
    close(descriptor_);
    close(wakeDescriptor_);
    descriptor_ = -1;
    wakeDescriptor_ = -1;
    released_.notify_all();
}

int CSocket::Handle() const
{
    std::lock_guard guard(mutex_);
    return closing_ ? -1 : descriptor_;
}

void CSocket::Close()
{
    std::lock_guard guard(mutex_);
    if (descriptor_ < 0 || closing_)
        return;
    closing_ = true;
    // The wake-up comes first so that a poll woken by the shutdown sees it too.
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = write(wakeDescriptor_, &one, sizeof one);
    shutdown(descriptor_, SHUT_RDWR);
    ReleaseIfUnused();
}

// Waits (inside a CUse) until the socket is ready for the events or is closed.
bool CSocket::WaitReady(short events)
{
    pollfd fds[2] = {{descriptor_, events, 0}, {wakeDescriptor_, POLLIN, 0}};
    while (true) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return Fail(errno);
        }
        if (fds[1].revents)
            return Fail(kClosedError);
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
    if (connect(descriptor_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return true;
    if (errno != EINPROGRESS || !blocking_)
        return Fail(errno);
    if (!WaitReady(POLLOUT))
        return false;
    int code = 0;
    socklen_t length = sizeof code;
    if (getsockopt(descriptor_, SOL_SOCKET, SO_ERROR, &code, &length) != 0)
        return Fail(errno);
    return code == 0 || Fail(code);
}

// Repeats one send or receive until it moves bytes, fails, or (when blocking) the
// socket becomes ready for it; a wait ended by Close() fails the call.
std::ptrdiff_t CSocket::Transfer(short events, const std::function<std::ptrdiff_t()>& call)
{
    CUse use(*this);
    if (!use)
        return -1;
    while (true) {
        const auto count = call();
        if (count >= 0)
            return count;
        if (errno == EINTR)
            continue;
        if (!IsWouldBlock(errno) || !blocking_) {
            Fail(errno);
            return -1;
        }
        if (!WaitReady(events))
            return -1;
    }
}

std::ptrdiff_t CSocket::Send(const void* data, std::size_t size)
{
    return Transfer(POLLOUT, [&] { return send(descriptor_, data, size, MSG_NOSIGNAL); });
}

std::ptrdiff_t CSocket::Receive(void* buffer, std::size_t size)
{
    const auto received = Transfer(POLLIN, [&] { return recv(descriptor_, buffer, size, 0); });
    // The end of the stream that our own shutdown causes is no peer close.
    if (received == 0 && size > 0 && IsClosing()) {
        Fail(kClosedError);
        return -1;
    }
    return received;
}

SocketWait CSocket::Wait(bool forRead, bool forWrite, int timeoutMs, SocketReadiness& readiness)
{
    if (timeoutMs < 0)
        return WaitFor(forRead, forWrite, nullptr, readiness);
    const std::timespec timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000000L};
    return WaitFor(forRead, forWrite, &timeout, readiness);
}

SocketWait CSocket::WaitMicroseconds(bool forRead, bool forWrite, long timeoutUs, SocketReadiness& readiness)
{
    const std::timespec timeout{timeoutUs / 1000000, (timeoutUs % 1000000) * 1000L};
    return WaitFor(forRead, forWrite, &timeout, readiness);
}

SocketWait CSocket::WaitFor(bool forRead, bool forWrite, const std::timespec* timeout, SocketReadiness& readiness)
{
    readiness = {};
    CUse use(*this);
    if (!use)
        return SocketWait::Failed;
    const short events = static_cast<short>((forRead ? POLLIN : 0) | (forWrite ? POLLOUT : 0));
    pollfd fds[2] = {{descriptor_, events, 0}, {wakeDescriptor_, POLLIN, 0}};
    const int count = ppoll(fds, 2, timeout, nullptr);
    if (count < 0) {
        Fail(errno);
        return SocketWait::Failed;
    }
    if (fds[1].revents) {
        Fail(kClosedError);
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
    const short events = static_cast<short>((forRead ? POLLIN : 0) | (forWrite ? POLLOUT : 0));
    pollfd fds[3] = {{descriptor_, events, 0}, {wakeDescriptor_, POLLIN, 0}, {wakeup.descriptor_, POLLIN, 0}};
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
    if (getsockopt(descriptor_, SOL_SOCKET, SO_ERROR, &code, &length) != 0)
        return errno;
    return code;
}

}  // namespace platform
