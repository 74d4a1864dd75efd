#include "cquill/src/Network.h"

#include <memory>

#include "cquill/src/Packet.h"
#include "cquill/src/bstream.h"
#include "platform/clock.h"

namespace quill::net {

CNetwork::CNetwork() : socket_(this)
{
    socket_.SetWakeup(&Wakeup());
}

CNetwork::~CNetwork()
{
    socket_.Close();
    // Joined, not merely stopped: no step may run on a half-destroyed object. The socket
    // (and a dispatch window) goes with the members.
    FinishThread();
    listener_ = nullptr;
}

bool CNetwork::Run()
{
    steps_.fetch_add(1, std::memory_order_relaxed);
    socket_.ExecSelect();
    WaitForWork(idleWaitMilliseconds);
    return true;
}

void CNetwork::WaitForWork(unsigned maxMilliseconds)
{
    socket_.WaitForWork(Wakeup(), maxMilliseconds);
}

void CNetwork::OnThreadStart()
{
    workerThread_ = platform::CurrentThreadId();
}

void CNetwork::OnThreadStop()
{
    // Only its own id: a new worker may already have written its id.
    unsigned self = platform::CurrentThreadId();
    workerThread_.compare_exchange_strong(self, 0);
}

bool CNetwork::OnWorkerThread() const
{
    return workerThread_ == platform::CurrentThreadId();
}

int CNetwork::GetInterfaceVersion()
{
    return interfaceVersion;
}

void CNetwork::Initialize(INetworkListener* listener, bool runInMainThread)
{
    listener_ = listener;
    runInMainThread_ = runInMainThread;
    socket_.SetRunInMainThread(runInMainThread);
}

int CNetwork::Connect(const char* ip, unsigned short port)
{
    StartThread();
    return socket_.ConnectServer(ip, port);
}

void CNetwork::Close()
{
    socket_.Close();
    // A listener closing from inside an event runs on the worker itself, which cannot wait
    // for its own end: the thread stays, idle, until the next Close or the destruction.
    // Another thread only asks the worker to end: it may be inside a listener that waits
    // for this very call. A later Connect's thread, or the destruction, waits for it.
    if (!OnWorkerThread())
        StopThread(0);
}

int CNetwork::SendMessage(IMessage* message)
{
    // The library reads the message's members, so only its own message class will do.
    auto* typed = dynamic_cast<varo::Message*>(message);
    if (!typed)
        return 0;
    // One buffer per thread: a listener sending from inside an event cannot mix its packet
    // with one that another thread is building.
    thread_local char packetBuffer[packetBufferSize];
    try {
        varo::Packet packet;
        packet.message = typed;
        bostream out(packetBuffer, packetBufferSize, &LogStreamFailure);
        varo::Message::compress(out, packet);
        return socket_.Send(packetBuffer, static_cast<int>(out.offset()));
    } catch (...) {
        return 0;
    }
}

int CNetwork::GetStatus()
{
    if (socket_.IsConnected())
        return 2;
    return socket_.IsConnecting() ? 1 : 0;
}

void CNetwork::SetTimeout(unsigned short seconds)
{
    if (seconds > 0)
        socket_.SetTimeoutSeconds(seconds);
}

bool CNetwork::CheckTimeout(bool closeIfTimedOut)
{
    if (!socket_.IsTimeout())
        return false;
    if (closeIfTimedOut && socket_.IsConnected())
        socket_.Close();
    return true;
}

void CNetwork::OnSocketSend(CCommonSocket*, int bytes)
{
    if (INetworkListener* listener = listener_)
        listener->OnSendData(this, bytes);
}

int CNetwork::OnSocketReceive(CCommonSocket*, const char* data, int length)
{
    try {
        auto message = std::make_shared<varo::Message>();
        varo::Packet packet;
        packet.message = message.get();
        bistream in(data, static_cast<uint32_t>(length), &LogStreamFailure);
        varo::Message::uncompress(in, packet);
        INetworkListener* listener = listener_;
        return listener ? listener->OnReceiveMessage(this, message.get()) : 0;
    } catch (...) {
        return 0;
    }
}

void CNetwork::ReportStatus(int from, int to)
{
    if (INetworkListener* listener = listener_)
        listener->OnStatusChanged(this, from, to);
}

void CNetwork::OnSocketConnecting(CCommonSocket*)
{
    ReportStatus(0, 1);
}

void CNetwork::OnSocketConnect(CCommonSocket*, int error)
{
    ReportStatus(1, error == 0 ? 2 : 0);
}

void CNetwork::OnSocketClose(CCommonSocket*)
{
    ReportStatus(2, 0);
}

}  // namespace quill::net
