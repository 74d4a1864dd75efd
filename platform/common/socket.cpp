#include "platform/socket.h"

#include "platform/common/socket_internal.h"

namespace platform {

namespace {

std::atomic<int> startupCount{0};
thread_local int lastError = 0;

}  // namespace

namespace detail {

bool FailSocketCall(int code)
{
    lastError = code;
    return false;
}

}  // namespace detail

using detail::FailSocketCall;

int LastSocketError()
{
    return lastError;
}

int SocketStartupCount()
{
    return startupCount.load();
}

void detail::CountSocketStartup()
{
    ++startupCount;
}

bool detail::UncountSocketStartup()
{
    int count = startupCount.load();
    while (count > 0) {
        if (startupCount.compare_exchange_weak(count, count - 1))
            return true;
    }
    return false;
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

CSocket::~CSocket()
{
    Close();
}

bool CSocket::Create()
{
    std::unique_lock lock(mutex_);
    released_.wait(lock, [this] { return descriptor_ < 0 || !closing_; });
    if (descriptor_ >= 0)
        return FailSocketCall(detail::kSocketConnectedError);
    if (!OpenDescriptors())
        return false;
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
        return FailSocketCall(closing_ ? detail::kSocketClosedError : detail::kNoSocketError);
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
    ReleaseDescriptors();
    descriptor_ = -1;
    wakeDescriptor_ = -1;
    released_.notify_all();
}

int CSocket::Handle() const
{
    std::lock_guard guard(mutex_);
    return closing_ ? -1 : static_cast<int>(descriptor_);
}

void CSocket::Close()
{
    std::lock_guard guard(mutex_);
    if (descriptor_ < 0 || closing_)
        return;
    closing_ = true;
    SignalClose();
    ReleaseIfUnused();
}

// Repeats one send or receive until it moves bytes, fails, or (when blocking) the
// socket becomes ready for it; a wait ended by Close() fails the call.
std::ptrdiff_t CSocket::Transfer(bool forWrite, const std::function<std::ptrdiff_t()>& call)
{
    CUse use(*this);
    if (!use)
        return -1;
    while (true) {
        const auto count = call();
        if (count >= 0)
            return count;
        if (!IsWouldBlock(lastError) || !blocking_)
            return -1;
        if (!WaitReady(!forWrite, forWrite))
            return -1;
    }
}

std::ptrdiff_t CSocket::Receive(void* buffer, std::size_t size)
{
    const auto received = Transfer(false, [&] { return ReceiveOnce(buffer, size); });
    // The end of the stream that our own shutdown causes is no peer close.
    if (received == 0 && size > 0 && IsClosing()) {
        FailSocketCall(detail::kSocketClosedError);
        return -1;
    }
    return received;
}

std::ptrdiff_t CSocket::Send(const void* data, std::size_t size)
{
    return Transfer(true, [&] { return SendOnce(data, size); });
}

SocketWait CSocket::Wait(bool forRead, bool forWrite, int timeoutMs, SocketReadiness& readiness)
{
    return WaitFor(forRead, forWrite, timeoutMs < 0 ? -1 : std::int64_t{timeoutMs} * 1000, readiness);
}

SocketWait CSocket::WaitMicroseconds(bool forRead, bool forWrite, long timeoutUs, SocketReadiness& readiness)
{
    return WaitFor(forRead, forWrite, timeoutUs, readiness);
}

}  // namespace platform
