#include "cquill/src/CommonSocket.h"

#include <algorithm>
#include <cstring>

#include "cquill/src/LogManager.h"
#include "cquill/src/PacketFraming.h"
#include "platform/clock.h"

namespace quill::net {

CCommonSocket::CCommonSocket(ISocketInterfaceFactory* factory)
    : factory_(factory), listener_(factory->GetSocketListener()), tickCount_(&platform::TickCount)
{
}

CCommonSocket::~CCommonSocket() = default;

void CCommonSocket::Close()
{
    std::lock_guard state(stateLock_);
    if (!IsOpen())
        return;
    CSocketBase::Close();
    lastReceive_ = 0;
    {
        std::lock_guard send(sendLock_);
        sendFill_ = 0;
        sendQueue_.reset();
    }
    // The worker is not inside a step (it holds the state lock for one), so the receive
    // buffer can go at once: no grace period is needed.
    receiveFill_ = 0;
    receiveBuffer_.reset();
    ++generation_;
    OnClose();
}

void CCommonSocket::OnClose()
{
    listener_->OnSocketClose(this);
}

int CCommonSocket::Send(const char* data, int length)
{
    if (!IsOpen())
        return 0;
    // Closed before the send lock is taken: the state lock always comes first.
    if (IsTimeout()) {
        Close();
        return 0;
    }
    std::lock_guard send(sendLock_);
    // A close between the checks above and here has emptied the queue for good.
    if (!IsOpen() || length < 0 || static_cast<std::uint32_t>(length) > sendCapacity - sendFill_)
        return 0;
    if (!sendQueue_)
        sendQueue_ = std::make_unique_for_overwrite<char[]>(sendCapacity);
    std::memcpy(sendQueue_.get() + sendFill_, data, static_cast<std::size_t>(length));
    sendFill_ += static_cast<std::uint32_t>(length);
    return 1;
}

void CCommonSocket::OnSend()
{
    std::ptrdiff_t written = 0;
    {
        std::lock_guard send(sendLock_);
        if (!IsOpen() || !sendQueue_ || sendFill_ == 0)
            return;
        written = handle_.Send(sendQueue_.get(), std::min(sendFill_, maxBytesPerSend));
        if (written > 0) {
            sendFill_ -= static_cast<std::uint32_t>(written);
            std::memmove(sendQueue_.get(), sendQueue_.get() + written, sendFill_);
            listener_->OnSocketSend(this, static_cast<int>(written));
        }
    }
    // A full kernel buffer is no failure: the bytes stay queued for the next step.
    if (written < 0 && !platform::IsWouldBlock(platform::LastSocketError()))
        Close();
}

void CCommonSocket::OnReceive()
{
    if (!IsOpen())
        return;
    if (!receiveBuffer_)
        receiveBuffer_ = std::make_unique_for_overwrite<char[]>(receiveCapacity);
    const std::ptrdiff_t received = handle_.Receive(receiveBuffer_.get() + receiveFill_, receiveCapacity - receiveFill_);
    if (received > 0) {
        lastReceive_ = tickCount_.load()();
        receiveFill_ += static_cast<std::uint32_t>(received);
        DeliverPackets();
    } else if (received == 0) {
        LogInfo(L"Socket %d has been closed by remote user\n", Handle());
        Close();
    } else if (!platform::IsWouldBlock(platform::LastSocketError())) {
        Close();
    }
}

void CCommonSocket::DeliverPackets()
{
    const std::uint64_t generation = generation_;
    std::uint32_t delivered = 0;
    while (true) {
        const std::int32_t length = NextPacketLength(receiveBuffer_.get() + delivered, receiveFill_ - delivered);
        if (length < 0) {
            Close();
            return;
        }
        if (length == 0)
            break;
        listener_->OnSocketReceive(this, receiveBuffer_.get() + delivered, length);
        // The listener closed (and maybe reopened) the socket: the buffer is not ours any more.
        if (generation_ != generation)
            return;
        delivered += static_cast<std::uint32_t>(length);
    }
    // One move per read, not one per packet: many small packets stay linear.
    receiveFill_ -= delivered;
    std::memmove(receiveBuffer_.get(), receiveBuffer_.get() + delivered, receiveFill_);
}

int CCommonSocket::IsTimeout()
{
    const std::uint32_t last = lastReceive_;
    if (last == 0 || !IsOpen())
        return 0;
    // Unsigned difference: the tick count's wrap after 49.7 days is harmless.
    if (tickCount_.load()() - last <= timeoutSeconds_ * 1000u)
        return 0;
    LogInfo(L"!!Socket %d is timeout!!\n", Handle());
    return 1;
}

}  // namespace quill::net
