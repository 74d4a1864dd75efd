#pragma once
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

class CWakeup;

// Start-up and clean-up of the socket layer keep their counting: every successful
// start-up needs one clean-up. Sockets work without them on this platform.
bool SocketStartup();
bool SocketCleanup();  // false when there was no start-up left to end
int SocketStartupCount();

// The error number of the calling thread's last failed socket call (0 when none).
int LastSocketError();
// The system's text for an error number, "" when it has none.
std::string SocketErrorText(int code);
// "[code]text", e.g. "[111]Connection refused".
std::string FormatSocketError(int code);
bool IsWouldBlock(int code);

// An IPv4 address and port, both in host order.
struct Ipv4Endpoint {
    std::uint32_t address = 0;
    std::uint16_t port = 0;
};

// Dotted IPv4 text -> address in host order; text that is no address gives
// 255.255.255.255, which never connects.
std::uint32_t ParseIpv4(const std::string& dotted);
std::string FormatIpv4(std::uint32_t address);
// The IPv4 addresses of a host name or dotted address, in the resolver's order;
// empty when it cannot be resolved.
std::vector<std::string> ResolveHostIpv4(const std::string& host);

enum class SocketWait { Ready, TimedOut, Failed };

struct SocketReadiness {
    bool readable = false;
    bool writable = false;
    bool failed = false;  // an error or hang-up is pending
};

// One IPv4 TCP socket. Blocking by default; SetBlocking(false) makes connect, send
// and receive return at once with a would-block error instead.
// Close() may be called from any thread at any time: it wakes a connect, send,
// receive or wait blocked on the socket (that call fails), and the descriptor is
// released only when no call can still be using it, so its number cannot be reused
// under a running call.
class CSocket {
public:
    CSocket() = default;
    ~CSocket();
    CSocket(const CSocket&) = delete;
    CSocket& operator=(const CSocket&) = delete;

    // A call still inside a descriptor being closed is woken by the close; Create waits
    // for it to leave, so that the new descriptor can take the slot.
    bool Create();
    bool IsOpen() const;
    bool SetBlocking(bool blocking);
    // Blocking: true once connected. Non-blocking: false with a would-block error
    // while the connection is under way; Wait for writable, then PendingError.
    bool Connect(const Ipv4Endpoint& endpoint);
    // Bytes sent or received; -1 on an error (see LastSocketError). Receive gives 0
    // when the peer has closed. Sending never raises SIGPIPE.
    std::ptrdiff_t Send(const void* data, std::size_t size);
    std::ptrdiff_t Receive(void* buffer, std::size_t size);
    // Select-style wait; timeoutMs < 0 waits without limit.
    SocketWait Wait(bool forRead, bool forWrite, int timeoutMs, SocketReadiness& readiness);
    // The same with a time-out finer than a millisecond (a short poll of a busy loop).
    SocketWait WaitMicroseconds(bool forRead, bool forWrite, long timeoutUs, SocketReadiness& readiness);
    // Waits until the socket is ready for the events, is closed, or the wake-up is woken
    // (which consumes the wake), for at most timeoutMs; false when the time ran out or the
    // socket is closed. What is ready is left for the caller's next call to find.
    bool WaitOrWake(bool forRead, bool forWrite, CWakeup& wakeup, int timeoutMs);
    // The error of a finished non-blocking connect (0 when it succeeded).
    int PendingError();
    void Close();
    // The descriptor number, for log lines; -1 when closed.
    int Handle() const;

private:
    class CUse;
    bool Enter();
    void Leave();
    bool IsClosing() const;
    bool WaitReady(bool forRead, bool forWrite);
    // timeoutUs < 0 waits without limit.
    SocketWait WaitFor(bool forRead, bool forWrite, std::int64_t timeoutUs, SocketReadiness& readiness);
    std::ptrdiff_t Transfer(bool forWrite, const std::function<std::ptrdiff_t()>& call);
    void ReleaseIfUnused();
    // Per system, under the lock: make the socket and its close signal; wake every
    // wait on it; free both.
    bool OpenDescriptors();
    void SignalClose();
    void ReleaseDescriptors();
    // Per system, inside a use: one send or receive; -1 with the error recorded.
    std::ptrdiff_t SendOnce(const void* data, std::size_t size);
    std::ptrdiff_t ReceiveOnce(void* buffer, std::size_t size);

    mutable std::mutex mutex_;
    std::condition_variable released_;
    // The system's socket and the signal that ends its waits on Close() (an eventfd on
    // Linux; on Windows an event the socket's own network events also set); -1 for none.
    std::intptr_t descriptor_ = -1;
    std::intptr_t wakeDescriptor_ = -1;
    int users_ = 0;
    bool closing_ = false;
    std::atomic<bool> blocking_{true};
};

}  // namespace platform
