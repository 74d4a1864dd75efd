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

CCommonSocket::CStateGuard::CStateGuard(CCommonSocket& socket) : socket_(socket)
{
    socket_.stateLock_.lock();
    ++socket_.lockDepth_;
}

CCommonSocket::CStateGuard::~CStateGuard()
{
    socket_.Unlock();
}

void CCommonSocket::Unlock()
{
    CEventBatch batch;
    // Only the thread holding the lock records, so what waits here is this thread's.
    if (--lockDepth_ == 0 && !pending_.empty()) {
        batch.events.swap(pending_);
        batch.listener = listener_;
        batch.listenerOwner = ListenerOwner();
        batch.generation = generation_;
    }
    stateLock_.unlock();
    Deliver(batch);
}

void CCommonSocket::Report(CSocketEvent event)
{
    pending_.push_back(std::move(event));
}

void CCommonSocket::Deliver(const CEventBatch& batch)
{
    try {
        for (const CSocketEvent& event : batch.events) {
            // Another thread or the listener itself closed or reconnected the socket: what
            // is left belongs to a connection that is gone.
            if (generation_ != batch.generation)
                return;
            Deliver(batch, event);
        }
    } catch (...) {
        // A listener's exception must not unwind through the worker's step.
    }
}

void CCommonSocket::Deliver(const CEventBatch& batch, const CSocketEvent& event)
{
    ISocketListener& listener = *batch.listener;
    switch (event.kind) {
    case CSocketEvent::Kind::Connecting:
        listener.OnSocketConnecting(this);
        break;
    case CSocketEvent::Kind::Connect:
        listener.OnSocketConnect(this, event.value);
        if (event.closeAfter && generation_ == batch.generation)
            Close();
        break;
    case CSocketEvent::Kind::Send:
        listener.OnSocketSend(this, event.value);
        break;
    case CSocketEvent::Kind::Receive:
        DeliverPackets(batch, event.packets);
        break;
    case CSocketEvent::Kind::Close:
        listener.OnSocketClose(this);
        break;
    }
}

void CCommonSocket::Close()
{
    CStateGuard state(*this);
    if (!IsOpen())
        return;
    CSocketBase::Close();
    lastReceive_ = 0;
    {
        std::lock_guard send(sendLock_);
        sendFill_ = 0;
        sendQueue_.reset();
    }
    // The worker reads into the buffer only under the state lock and reports packets from
    // a copy, so the buffer can go at once: no grace period is needed.
    receiveFill_ = 0;
    receiveBuffer_.reset();
    ++generation_;
    OnClose();
}

void CCommonSocket::OnClose()
{
    Report(CSocketEvent(CSocketEvent::Kind::Close));
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
    {
        std::lock_guard send(sendLock_);
        // A close between the checks above and here has emptied the queue for good.
        if (!IsOpen() || length < 0 || static_cast<std::uint32_t>(length) > sendCapacity - sendFill_)
            return 0;
        if (!sendQueue_)
            sendQueue_ = std::make_unique_for_overwrite<char[]>(sendCapacity);
        std::memcpy(sendQueue_.get() + sendFill_, data, static_cast<std::size_t>(length));
        const bool wasEmpty = sendFill_ == 0;
        sendFill_ += static_cast<std::uint32_t>(length);
        // A non-empty queue already has the worker waiting for the socket to take bytes.
        if (!wasEmpty)
            return 1;
    }
    WakeWorker();
    return 1;
}

bool CCommonSocket::HasQueuedBytes()
{
    std::lock_guard send(sendLock_);
    return sendFill_ > 0;
}

void CCommonSocket::SetTimeoutSeconds(std::uint32_t seconds)
{
    timeoutSeconds_ = seconds;
    // A socket that was timed out may not be any more: the worker waits on it again.
    WakeWorker();
}

void CCommonSocket::WakeWorker()
{
    if (platform::CWakeup* wakeup = wakeup_)
        wakeup->Wake();
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
            Report(CSocketEvent(CSocketEvent::Kind::Send, static_cast<int>(written)));
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
        CutPackets();
    } else if (received == 0) {
        LogInfo(L"Socket %d has been closed by remote user\n", Handle());
        Close();
    } else if (!platform::IsWouldBlock(platform::LastSocketError())) {
        Close();
    }
}

void CCommonSocket::CutPackets()
{
    std::uint32_t complete = 0;
    std::int32_t length = 0;
    while ((length = NextPacketLength(receiveBuffer_.get() + complete, receiveFill_ - complete)) > 0)
        complete += static_cast<std::uint32_t>(length);
    if (complete > 0) {
        CSocketEvent event(CSocketEvent::Kind::Receive);
        event.packets.assign(receiveBuffer_.get(), receiveBuffer_.get() + complete);
        Report(std::move(event));
    }
    if (length < 0) {
        Close();
        return;
    }
    // One move per read, not one per packet: many small packets stay linear.
    receiveFill_ -= complete;
    std::memmove(receiveBuffer_.get(), receiveBuffer_.get() + complete, receiveFill_);
}

void CCommonSocket::DeliverPackets(const CEventBatch& batch, const std::vector<char>& packets)
{
    const auto size = static_cast<std::uint32_t>(packets.size());
    std::uint32_t delivered = 0;
    while (delivered < size && generation_ == batch.generation) {
        const std::int32_t length = NextPacketLength(packets.data() + delivered, size - delivered);
        if (length <= 0)
            return;
        batch.listener->OnSocketReceive(this, packets.data() + delivered, length);
        delivered += static_cast<std::uint32_t>(length);
    }
}

int CCommonSocket::IsTimeout()
{
    if (!TimedOut())
        return 0;
    LogInfo(L"!!Socket %d is timeout!!\n", Handle());
    return 1;
}

bool CCommonSocket::TimedOut() const
{
    const std::uint32_t last = lastReceive_;
    if (last == 0 || !IsOpen())
        return false;
    // Unsigned difference: the tick count's wrap after 49.7 days is harmless.
    return tickCount_.load()() - last > timeoutSeconds_ * 1000u;
}

}  // namespace quill::net
