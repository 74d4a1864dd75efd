#include "cquill/src/ConnectSocket.h"

#include "cquill/src/ClientSocketWnd.h"
#include "cquill/src/LogManager.h"

namespace quill::net {

CConnectSocket::CConnectSocket(ISocketInterfaceFactory* factory) : CCommonSocket(factory)
{
    SetRunInMainThread(false);
}

CConnectSocket::~CConnectSocket()
{
    factory_->ReleaseSocketListener(listener_);
    window_.reset();
    CSocketBase::Close();
}

int CConnectSocket::ConnectServer(const char* host, unsigned short port)
{
    std::lock_guard state(stateLock_);
    if (connecting_ || connected_)
        return 0;
    // Closed before the flag is set: closing clears it.
    if (IsOpen())
        Close();
    connecting_ = 1;
    host_ = host ? host : "";
    port_ = port;
    LogInfo(L"Connecting to %s:%d\n", host_.c_str(), static_cast<int>(port_));
    if (!handle_.Create()) {
        LogInfo(L"ConnectSocket::ConnectServer Create Socket failed!!");
        // Left set, the flag would refuse every later attempt on this object.
        connecting_ = 0;
        return 0;
    }
    listener_->OnSocketConnecting(this);
    handle_.SetBlocking(false);
    handle_.Connect({platform::ParseIpv4(host_), port_});
    return 1;
}

int CConnectSocket::ExecSelect()
{
    std::lock_guard state(stateLock_);
    if (IsTimeout() || !IsOpen())
        return 0;
    platform::SocketReadiness readiness;
    switch (handle_.WaitMicroseconds(true, true, selectWaitMicroseconds, readiness)) {
    case platform::SocketWait::TimedOut:
        return 1;
    case platform::SocketWait::Failed:
        LogInfo(L"[ConnectSocket] !!select error!!\n");
        return 0;
    case platform::SocketWait::Ready:
        break;
    }
    try {
        return HandleReadiness(readiness);
    } catch (...) {
        return 0;
    }
}

int CConnectSocket::HandleReadiness(const platform::SocketReadiness& readiness)
{
    // Only a connect reports its failure this way; on a connection an error or hang-up
    // shows in the next read.
    if (readiness.failed && !connected_)
        return ConnectFailed() ? 0 : 1;
    // The connect completes before anything is read, so the listener hears "connected"
    // before the first packet even when the server speaks first.
    if (readiness.writable && !connected_ && connecting_ && IsOpen()) {
        if (handle_.PendingError() != 0)
            return ConnectFailed() ? 0 : 1;
        OnConnect(0);
        return 1;
    }
    const std::uint64_t generation = Generation();
    if (readiness.readable || readiness.failed)
        OnReceive();
    // A listener closed or reconnected the socket: the readiness seen is not the new one's.
    if (Generation() == generation && readiness.writable)
        OnSend();
    return 1;
}

// Reports the failed attempt and closes; false when the listener has started another one.
bool CConnectSocket::ConnectFailed()
{
    const std::uint64_t generation = Generation();
    if (IsOpen())
        OnConnect(1);
    if (Generation() != generation)
        return false;
    Close();
    return true;
}

void CConnectSocket::OnConnect(int error)
{
    connecting_ = 0;
    connected_ = error == 0 ? 1 : 0;
    listener_->OnSocketConnect(this, error);
}

void CConnectSocket::OnClose()
{
    // Cleared before the listener hears of it, so that it sees status 0 and may connect again.
    connected_ = 0;
    connecting_ = 0;
    CCommonSocket::OnClose();
}

void CConnectSocket::SetRunInMainThread(bool on)
{
    std::unique_ptr<CClientSocketWnd> retired;
    {
        std::lock_guard state(stateLock_);
        if (on && !window_)
            SwitchToWindow();
        else if (!on && window_)
            retired = SwitchToTarget();
    }
    // Destroyed outside the state lock: it waits for a delivery running on the window's
    // thread, and that delivery may be closing this socket.
}

void CConnectSocket::SwitchToWindow()
{
    auto window = std::make_unique<CClientSocketWnd>();
    if (!window->Create()) {
        LogInfo(L"Create ClientSocketWnd failed!!");
        return;
    }
    LogInfo(L"Create ClientSocketWnd success!!");
    window->SetTargetFactory(factory_);
    factory_->ReleaseSocketListener(listener_);
    factory_ = window.get();
    listener_ = factory_->GetSocketListener();
    window_ = std::move(window);
}

std::unique_ptr<CClientSocketWnd> CConnectSocket::SwitchToTarget()
{
    factory_->ReleaseSocketListener(listener_);
    factory_ = window_->TargetFactory();
    listener_ = factory_->GetSocketListener();
    return std::move(window_);
}

}  // namespace quill::net
