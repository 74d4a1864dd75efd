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
    int started = 0;
    {
        CStateGuard state(*this);
        started = StartAttempt(host, port);
    }
    // 0->1 has been reported on this thread: the worker may report what follows.
    if (started) {
        announcing_ = false;
        WakeWorker();
    }
    return started;
}

int CConnectSocket::StartAttempt(const char* host, unsigned short port)
{
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
    // Events of the previous connection not yet reported are dropped.
    ++generation_;
    // The worker leaves the attempt alone until its 0->1 is reported, so that a fast
    // connect's 1->2 cannot overtake it.
    announcing_ = true;
    Report(CSocketEvent(CSocketEvent::Kind::Connecting));
    handle_.SetBlocking(false);
    handle_.Connect({platform::ParseIpv4(host_), port_});
    return 1;
}

bool CConnectSocket::WaitForWork(platform::CWakeup& wakeup, unsigned maxMilliseconds)
{
    if (!IsOpen() || TimedOut() || announcing_)
        return wakeup.Wait(maxMilliseconds);
    return handle_.WaitOrWake(true, connecting_ || HasQueuedBytes(), wakeup, static_cast<int>(maxMilliseconds));
}

int CConnectSocket::ExecSelect()
{
    std::uint64_t generation = 0;
    StepResult result = StepResult::Failed;
    {
        CStateGuard state(*this);
        result = Read();
        generation = Generation();
    }
    // The packets were reported in between, so a reply the listener queued goes out in
    // this step's write.
    if (result == StepResult::MayWrite)
        Write(generation);
    return result == StepResult::Failed ? 0 : 1;
}

CConnectSocket::StepResult CConnectSocket::Read()
{
    if (IsTimeout() || !IsOpen())
        return StepResult::Failed;
    if (announcing_)
        return StepResult::Done;
    platform::SocketReadiness readiness;
    switch (handle_.WaitMicroseconds(true, true, selectWaitMicroseconds, readiness)) {
    case platform::SocketWait::TimedOut:
        return StepResult::Done;
    case platform::SocketWait::Failed:
        LogInfo(L"[ConnectSocket] !!select error!!\n");
        return StepResult::Failed;
    case platform::SocketWait::Ready:
        break;
    }
    try {
        return HandleReadiness(readiness);
    } catch (...) {
        return StepResult::Failed;
    }
}

CConnectSocket::StepResult CConnectSocket::HandleReadiness(const platform::SocketReadiness& readiness)
{
    // Only a connect reports its failure this way; on a connection an error or hang-up
    // shows in the next read.
    if (readiness.failed && !connected_)
        return ConnectFailed();
    // The connect completes before anything is read, so the listener hears "connected"
    // before the first packet even when the server speaks first.
    if (readiness.writable && !connected_ && connecting_ && IsOpen()) {
        if (handle_.PendingError() != 0)
            return ConnectFailed();
        OnConnect(0);
        return StepResult::Done;
    }
    if (readiness.readable || readiness.failed)
        OnReceive();
    return readiness.writable ? StepResult::MayWrite : StepResult::Done;
}

void CConnectSocket::Write(std::uint64_t generation)
{
    CStateGuard state(*this);
    // A listener closed or reconnected the socket: the readiness seen is not the new one's.
    if (Generation() == generation)
        OnSend();
}

// Reports the failed attempt; the socket is closed after the report unless the listener
// has started another attempt from inside it.
CConnectSocket::StepResult CConnectSocket::ConnectFailed()
{
    if (IsOpen())
        OnConnect(1);
    return StepResult::Failed;
}

void CConnectSocket::OnConnect(int error)
{
    connecting_ = 0;
    connected_ = error == 0 ? 1 : 0;
    // A failed attempt's socket is closed after the report, unless the listener has
    // started another attempt from inside it.
    Report(CSocketEvent(CSocketEvent::Kind::Connect, error, error != 0));
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
    std::shared_ptr<CClientSocketWnd> retired;
    {
        CStateGuard state(*this);
        if (on && !window_)
            SwitchToWindow();
        else if (!on && window_)
            retired = SwitchToTarget();
    }
    // Destroyed outside the state lock (here, or by the worker when it is still reporting
    // to it): it waits for a delivery running on the window's thread, and that delivery may
    // be closing this socket.
}

void CConnectSocket::SwitchToWindow()
{
    auto window = std::make_shared<CClientSocketWnd>();
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

std::shared_ptr<CClientSocketWnd> CConnectSocket::SwitchToTarget()
{
    factory_->ReleaseSocketListener(listener_);
    factory_ = window_->TargetFactory();
    listener_ = factory_->GetSocketListener();
    return std::move(window_);
}

}  // namespace quill::net
