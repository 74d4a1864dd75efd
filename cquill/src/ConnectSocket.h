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
    // The worker's pause between steps: at most maxMilliseconds, ended by work (readable;
    // writable while connecting or while bytes wait) or the wake-up. A closed or timed-out
    // socket waits on the wake-up alone. True when work or a wake ended it.
    bool WaitForWork(platform::CWakeup& wakeup, unsigned maxMilliseconds);

    bool IsConnected() const { return connected_; }
    bool IsConnecting() const { return connecting_; }

protected:
    virtual void OnConnect(int error);
    void OnClose() override;
    std::shared_ptr<void> ListenerOwner() const override { return window_; }

private:
    // What the reading part of a step left for its writing part.
    enum class StepResult { Failed, Done, MayWrite };

    int StartAttempt(const char* host, unsigned short port);
    StepResult Read();
    StepResult HandleReadiness(const platform::SocketReadiness& readiness);
    void Write(std::uint64_t generation);
    StepResult ConnectFailed();
    void SwitchToWindow();
    std::shared_ptr<CClientSocketWnd> SwitchToTarget();

    std::atomic<int> connected_ = 0;
    std::atomic<int> connecting_ = 0;
    // From the start of an attempt until its 0->1 has been reported.
    std::atomic<bool> announcing_ = false;
    std::string host_;
    unsigned short port_ = 0;
    // Shared with a batch of events being reported, so that switching the mode off
    // never destroys the window under a running report.
    std::shared_ptr<CClientSocketWnd> window_;
};

}  // namespace quill::net
