#include "cquill/src/ClientSocketWnd.h"

#include <cstring>

#include "cquill/src/LogManager.h"

namespace quill::net {

namespace {

// Numbers the windows of the process; the first window is 101.
std::atomic<unsigned> windowCounter = 100;

}  // namespace

CClientSocketWnd::~CClientSocketWnd()
{
    // The window goes first: no delivery can be draining the queue after this.
    window_.reset();
    std::lock_guard guard(queueLock_);
    queue_.clear();
}

bool CClientSocketWnd::Create()
{
    childId_ = ++windowCounter;
    window_ = std::make_unique<platform::CThreadWindow>(*this);
    return window_->IsValid();
}

ISocketListener* CClientSocketWnd::GetSocketListener()
{
    if (targetFactory_)
        targetListener_ = targetFactory_->GetSocketListener();
    return this;
}

void CClientSocketWnd::ReleaseSocketListener(ISocketListener*)
{
    if (!targetFactory_)
        return;
    targetFactory_->ReleaseSocketListener(targetListener_);
    targetListener_ = nullptr;
}

void CClientSocketWnd::Post(SocketWindowMessage message, CCommonSocket* socket, std::intptr_t lParam)
{
    // Refused when the client's thread has stopped dispatching and its queue is full. A packet
    // stays queued here and goes with the next receive message that gets through.
    if (window_ && !window_->Post(message, reinterpret_cast<std::uintptr_t>(socket), lParam))
        LogError(L"Socket event 0x%x lost: the client's message queue is full\n", static_cast<unsigned>(message));
}

void CClientSocketWnd::OnSocketSend(CCommonSocket* socket, int bytes)
{
    Post(WM_SOCKET_SEND, socket, bytes);
}

int CClientSocketWnd::OnSocketReceive(CCommonSocket* socket, const char* data, int length)
{
    // The socket reuses its buffer as soon as this returns.
    ReceivedPacket packet{socket, nullptr, length};
    if (length > 0) {
        packet.data = std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(length));
        std::memcpy(packet.data.get(), data, static_cast<std::size_t>(length));
    }
    {
        std::lock_guard guard(queueLock_);
        queue_.push_back(std::move(packet));
    }
    Post(WM_SOCKET_RECEIVE, socket);
    return 1;
}

void CClientSocketWnd::OnSocketConnecting(CCommonSocket* socket)
{
    Post(WM_SOCKET_CONNECTING, socket);
}

void CClientSocketWnd::OnSocketClose(CCommonSocket* socket)
{
    Post(WM_SOCKET_CLOSE, socket);
}

void CClientSocketWnd::OnSocketConnect(CCommonSocket* socket, int error)
{
    Post(WM_SOCKET_CONNECT, socket, error);
}

std::intptr_t CClientSocketWnd::HandleMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam)
{
    ISocketListener* target = targetListener_;
    auto* socket = reinterpret_cast<CCommonSocket*>(wParam);
    if (!target)
        return 1;
    switch (message) {
    case WM_SOCKET_SEND:
        target->OnSocketSend(socket, static_cast<int>(lParam));
        break;
    case WM_SOCKET_RECEIVE:
        DeliverReceived(*target);
        break;
    case WM_SOCKET_CLOSE:
        target->OnSocketClose(socket);
        break;
    case WM_SOCKET_CONNECT:
        target->OnSocketConnect(socket, static_cast<int>(lParam));
        break;
    case WM_SOCKET_CONNECTING:
        target->OnSocketConnecting(socket);
        break;
    default:
        return 0;
    }
    return 1;
}

bool CClientSocketWnd::TakeOldest(ReceivedPacket& packet)
{
    std::lock_guard guard(queueLock_);
    if (queue_.empty())
        return false;
    packet = std::move(queue_.front());
    queue_.pop_front();
    return true;
}

// Every packet waiting is delivered, not only the one this message was posted for.
void CClientSocketWnd::DeliverReceived(ISocketListener& target)
{
    ReceivedPacket packet;
    while (TakeOldest(packet))
        target.OnSocketReceive(packet.socket, packet.data.get(), packet.length);
}

}  // namespace quill::net
