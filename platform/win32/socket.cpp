#include "platform/socket.h"

#include "platform/common/socket_internal.h"
#include "platform/text.h"
#include "platform/wakeup.h"
#include "platform/win32/winsock_startup.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <mutex>

namespace platform {

using detail::FailSocketCall;

namespace {

// Several threads may wait on one socket while only one of them takes its recorded
// network events; the others look again at least this often.
constexpr DWORD kWaitSliceMs = 100;

SOCKET SocketOf(std::intptr_t descriptor)
{
    return static_cast<SOCKET>(descriptor);
}

WSAEVENT EventOf(std::intptr_t descriptor)
{
    return reinterpret_cast<WSAEVENT>(descriptor);
}

int ClampedSize(std::size_t size)
{
    return static_cast<int>(std::min<std::size_t>(size, INT_MAX));
}

// What the socket is ready for now, waiting at most timeoutUs (0: only look).
SocketWait Probe(SOCKET socket, bool forRead, bool forWrite, std::int64_t timeoutUs, SocketReadiness& readiness)
{
    fd_set reads, writes, failures;
    FD_ZERO(&reads);
    FD_ZERO(&writes);
    FD_ZERO(&failures);
    if (forRead)
        FD_SET(socket, &reads);
    if (forWrite)
        FD_SET(socket, &writes);
    FD_SET(socket, &failures);
    timeval timeout{static_cast<long>(timeoutUs / 1000000), static_cast<long>(timeoutUs % 1000000)};
    const int count = select(0, &reads, &writes, &failures, &timeout);
    if (count == SOCKET_ERROR) {
        FailSocketCall(WSAGetLastError());
        return SocketWait::Failed;
    }
    readiness.readable = FD_ISSET(socket, &reads);
    readiness.writable = FD_ISSET(socket, &writes);
    readiness.failed = FD_ISSET(socket, &failures);
    return count > 0 ? SocketWait::Ready : SocketWait::TimedOut;
}

// Milliseconds left until the deadline, at most one slice; a negative timeout waits
// slice after slice without end.
DWORD NextSlice(std::chrono::steady_clock::time_point deadline, bool unlimited)
{
    if (unlimited)
        return kWaitSliceMs;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    return static_cast<DWORD>(std::clamp<long long>(left, 0, kWaitSliceMs));
}

}  // namespace

namespace win32 {

bool EnsureWinsock()
{
    static const bool started = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

}  // namespace win32

bool SocketStartup()
{
    if (!win32::EnsureWinsock())
        return false;
    detail::CountSocketStartup();
    return true;
}

bool SocketCleanup()
{
    return detail::UncountSocketStartup();
}

std::string SocketErrorText(int code)
{
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0 || !text)
        return {};
    std::wstring message(text, length);
    LocalFree(text);
    // The system's texts end with a line break.
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
        message.pop_back();
    return Utf8FromWide(message);
}

bool IsWouldBlock(int code)
{
    return code == WSAEWOULDBLOCK || code == WSAEINPROGRESS;
}

std::uint32_t ParseIpv4(const std::string& dotted)
{
    return ntohl(inet_addr(dotted.c_str()));
}

std::string FormatIpv4(std::uint32_t address)
{
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", (address >> 24) & 0xFF, (address >> 16) & 0xFF, (address >> 8) & 0xFF, address & 0xFF);
    return text;
}

std::vector<std::string> ResolveHostIpv4(const std::string& host)
{
    std::vector<std::string> addresses;
    if (host.empty() || !win32::EnsureWinsock())
        return addresses;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &list) != 0)
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
    if (!win32::EnsureWinsock())
        return FailSocketCall(WSANOTINITIALISED);
    const SOCKET handle = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (handle == INVALID_SOCKET)
        return FailSocketCall(WSAGetLastError());
    SetHandleInformation(reinterpret_cast<HANDLE>(handle), HANDLE_FLAG_INHERIT, 0);
    // The socket's network events set the event, and so does Close(): every wait on the
    // socket waits on it. Event selection also makes the socket non-blocking; blocking
    // calls wait on the event, so Close() from another thread can always end them.
    const WSAEVENT event = WSACreateEvent();
    if (event == WSA_INVALID_EVENT || WSAEventSelect(handle, event, FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE) != 0) {
        const int code = WSAGetLastError();
        if (event != WSA_INVALID_EVENT)
            WSACloseEvent(event);
        closesocket(handle);
        return FailSocketCall(code);
    }
    descriptor_ = static_cast<std::intptr_t>(handle);
    wakeDescriptor_ = reinterpret_cast<std::intptr_t>(event);
    return true;
}

void CSocket::SignalClose()
{
    WSASetEvent(EventOf(wakeDescriptor_));
    shutdown(SocketOf(descriptor_), SD_BOTH);
}

void CSocket::ReleaseDescriptors()
{
    closesocket(SocketOf(descriptor_));
    WSACloseEvent(EventOf(wakeDescriptor_));
}

// Waits (inside a CUse) until the socket is ready for the events or is closed.
bool CSocket::WaitReady(bool forRead, bool forWrite)
{
    SocketReadiness readiness;
    return WaitFor(forRead, forWrite, -1, readiness) == SocketWait::Ready;
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
    if (connect(SocketOf(descriptor_), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return true;
    const int code = WSAGetLastError();
    if (!IsWouldBlock(code) || !blocking_)
        return FailSocketCall(code);
    if (!WaitReady(false, true))
        return false;
    const int pending = PendingError();
    return pending == 0 || FailSocketCall(pending);
}

std::ptrdiff_t CSocket::SendOnce(const void* data, std::size_t size)
{
    const int sent = send(SocketOf(descriptor_), static_cast<const char*>(data), ClampedSize(size), 0);
    if (sent == SOCKET_ERROR) {
        FailSocketCall(WSAGetLastError());
        return -1;
    }
    return sent;
}

std::ptrdiff_t CSocket::ReceiveOnce(void* buffer, std::size_t size)
{
    const int received = recv(SocketOf(descriptor_), static_cast<char*>(buffer), ClampedSize(size), 0);
    if (received == SOCKET_ERROR) {
        FailSocketCall(WSAGetLastError());
        return -1;
    }
    return received;
}

// Looks at the socket, then sleeps on its event until something changes, the socket is
// closed or the time is up. A failed connect shows as readiness.failed.
SocketWait CSocket::WaitFor(bool forRead, bool forWrite, std::int64_t timeoutUs, SocketReadiness& readiness)
{
    readiness = {};
    CUse use(*this);
    if (!use)
        return SocketWait::Failed;
    const SOCKET handle = SocketOf(descriptor_);
    // Shorter than a millisecond: the event wait cannot time that, select can.
    if (timeoutUs >= 0 && timeoutUs < 1000) {
        if (IsClosing()) {
            FailSocketCall(detail::kSocketClosedError);
            return SocketWait::Failed;
        }
        return Probe(handle, forRead, forWrite, timeoutUs, readiness);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::microseconds(std::max<std::int64_t>(timeoutUs, 0));
    while (true) {
        if (IsClosing()) {
            FailSocketCall(detail::kSocketClosedError);
            return SocketWait::Failed;
        }
        const SocketWait now = Probe(handle, forRead, forWrite, 0, readiness);
        if (now != SocketWait::TimedOut)
            return now;
        const DWORD slice = NextSlice(deadline, timeoutUs < 0);
        if (slice == 0)
            return SocketWait::TimedOut;
        if (WSAWaitForMultipleEvents(1, reinterpret_cast<const WSAEVENT*>(&wakeDescriptor_), FALSE, slice, FALSE) == WSA_WAIT_EVENT_0) {
            WSANETWORKEVENTS recorded{};
            WSAEnumNetworkEvents(handle, EventOf(wakeDescriptor_), &recorded);
        }
    }
}

bool CSocket::WaitOrWake(bool forRead, bool forWrite, CWakeup& wakeup, int timeoutMs)
{
    CUse use(*this);
    if (!use)
        return false;
    const SOCKET handle = SocketOf(descriptor_);
    const HANDLE events[2] = {EventOf(wakeDescriptor_), reinterpret_cast<HANDLE>(wakeup.descriptor_)};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    while (!IsClosing()) {
        SocketReadiness readiness;
        if (Probe(handle, forRead, forWrite, 0, readiness) != SocketWait::TimedOut) {
            wakeup.Consume();
            return true;
        }
        const DWORD slice = NextSlice(deadline, timeoutMs < 0);
        if (slice == 0)
            return false;
        const DWORD woken = WaitForMultipleObjects(2, events, FALSE, slice);
        if (woken == WAIT_OBJECT_0 + 1)
            return !IsClosing();
        if (woken == WAIT_OBJECT_0) {
            WSANETWORKEVENTS recorded{};
            WSAEnumNetworkEvents(handle, events[0], &recorded);
        }
    }
    return false;
}

int CSocket::PendingError()
{
    CUse use(*this);
    if (!use)
        return LastSocketError();
    int code = 0;
    int length = sizeof code;
    if (getsockopt(SocketOf(descriptor_), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&code), &length) != 0)
        return WSAGetLastError();
    return code;
}

}  // namespace platform
