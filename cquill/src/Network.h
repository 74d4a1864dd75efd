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
    static constexpr unsigned stepSleepMilliseconds = 5;

    CNetwork();
    ~CNetwork() override;

    // CThreadBase
    bool Run() override;
    void OnThreadStart() override;
    void OnThreadStop() override;

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

    // For tests: the socket's clock.
    void SetTickSource(CCommonSocket::TickFunction tickCount) { socket_.SetTickSource(tickCount); }

private:
    bool OnWorkerThread() const;
    void ReportStatus(int from, int to);

    std::atomic<INetworkListener*> listener_ = nullptr;
    std::atomic<bool> runInMainThread_ = false;
    std::atomic<unsigned> workerThread_ = 0;
    CConnectSocket socket_;
};

}  // namespace quill::net
