#pragma once
#include <atomic>

#include "cquill.h"
#include "cquill/src/ConnectSocket.h"
#include "cquill/src/SocketInterfaces.h"
#include "cquill/src/ThreadBase.h"

namespace quill::net {

// The object behind every INetwork: one connection, its worker thread, and the translation
// between messages and packets and between socket events and the client's listener.
class CNetwork : public CThreadBase, public INetwork, public ISocketListener, public ISocketInterfaceFactory {
public:
    static constexpr unsigned interfaceVersion = 0x103;
    static constexpr unsigned packetBufferSize = 16384;
    // The longest pause after a step: every piece of work ends it at once, so the bound
    // only paces a timed-out socket's log line and an idle worker's steps.
    static constexpr unsigned idleWaitMilliseconds = 1000;

    CNetwork();
    ~CNetwork() override;

    // CThreadBase
    bool Run() override;
    void OnThreadStart() override;
    void OnThreadStop() override;
    void WaitForWork(unsigned maxMilliseconds) override;

    // INetwork
    int GetInterfaceVersion() override;
    void Initialize(INetworkListener* listener, bool runInMainThread) override;
    int Connect(const char* ip, unsigned short port) override;
    void Close() override;
    int SendMessage(IMessage* message) override;
    int GetStatus() override;
    void SetTimeout(unsigned short seconds) override;
    bool CheckTimeout(bool closeIfTimedOut) override;

    // ISocketListener
    void OnSocketSend(CCommonSocket* socket, int bytes) override;
    int OnSocketReceive(CCommonSocket* socket, const char* data, int length) override;
    void OnSocketConnecting(CCommonSocket* socket) override;
    void OnSocketClose(CCommonSocket* socket) override;
    void OnSocketConnect(CCommonSocket* socket, int error) override;

    // ISocketInterfaceFactory
    ISocketListener* GetSocketListener() override { return this; }
    void ReleaseSocketListener(ISocketListener*) override {}

    // For tests: the socket's clock, and how many steps the worker has run.
    void SetTickSource(CCommonSocket::TickFunction tickCount) { socket_.SetTickSource(tickCount); }
    unsigned StepCount() const { return steps_; }

private:
    bool OnWorkerThread() const;
    void ReportStatus(int from, int to);

    std::atomic<INetworkListener*> listener_ = nullptr;
    std::atomic<bool> runInMainThread_ = false;
    std::atomic<unsigned> workerThread_ = 0;
    std::atomic<unsigned> steps_ = 0;
    CConnectSocket socket_;
};

}  // namespace quill::net
