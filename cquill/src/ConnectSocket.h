#pragma once
#include <atomic>
#include <memory>
#include <string>

#include "cquill/src/CommonSocket.h"

namespace quill::net {

class CClientSocketWnd;

// The client end of one connection: a non-blocking connect, the worker's select step, and
// the switch that routes events through a dispatch window in main-thread mode.
class CConnectSocket : public CCommonSocket {
public:
    static constexpr long selectWaitMicroseconds = 50;

    explicit CConnectSocket(ISocketInterfaceFactory* factory);
    ~CConnectSocket() override;

    // 1 when an attempt was started; 0 while connecting or connected, or without a socket.
    int ConnectServer(const char* host, unsigned short port);
    // One worker step: 1 on progress or idle, 0 on time-out, no socket or error.
    int ExecSelect();
    void SetRunInMainThread(bool on);

    bool IsConnected() const { return connected_; }
    bool IsConnecting() const { return connecting_; }

protected:
    virtual void OnConnect(int error);
    void OnClose() override;

private:
    int HandleReadiness(const platform::SocketReadiness& readiness);
    bool ConnectFailed();
    void SwitchToWindow();
    std::unique_ptr<CClientSocketWnd> SwitchToTarget();

    std::atomic<int> connected_ = 0;
    std::atomic<int> connecting_ = 0;
    std::string host_;
    unsigned short port_ = 0;
    std::unique_ptr<CClientSocketWnd> window_;
};

}  // namespace quill::net
