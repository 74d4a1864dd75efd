#pragma once
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

#include "cquill/src/SocketInterfaces.h"
#include "platform/thread_window.h"

namespace quill::net {

// Window messages that carry socket events to the window's thread; wParam is the socket.
enum SocketWindowMessage : unsigned {
    WM_SOCKET_SEND = 0x464,        // lParam: bytes written
    WM_SOCKET_RECEIVE = 0x465,     // the packet waits in the event queue
    WM_SOCKET_CLOSE = 0x466,
    WM_SOCKET_CONNECT = 0x467,     // lParam: error code
    WM_SOCKET_CONNECTING = 0x468,
};

// Main-thread mode: sits between a socket and its real listener, turns the worker's events
// into messages to a window of the thread that created it, and calls the real listener
// there when that thread dispatches.
class CClientSocketWnd : public platform::IWindowProcedure, public ISocketInterfaceFactory, public ISocketListener {
public:
    CClientSocketWnd() = default;
    // Undelivered packets are freed without being delivered.
    ~CClientSocketWnd() override;

    // Makes the window on the calling thread and numbers it; false when it cannot.
    bool Create();
    unsigned ChildId() const { return childId_; }

    void SetTargetFactory(ISocketInterfaceFactory* factory) { targetFactory_ = factory; }
    ISocketInterfaceFactory* TargetFactory() const { return targetFactory_; }

    ISocketListener* GetSocketListener() override;
    void ReleaseSocketListener(ISocketListener* listener) override;

    // Called on the worker thread: each posts one message.
    void OnSocketSend(CCommonSocket* socket, int bytes) override;
    int OnSocketReceive(CCommonSocket* socket, const char* data, int length) override;
    void OnSocketConnecting(CCommonSocket* socket) override;
    void OnSocketClose(CCommonSocket* socket) override;
    void OnSocketConnect(CCommonSocket* socket, int error) override;

    // Called on the window's thread.
    std::intptr_t HandleMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;

protected:
    // Virtual so that a test can dispatch on the window's thread at the moment a message
    // has been posted, before the worker's call returns.
    virtual void Post(SocketWindowMessage message, CCommonSocket* socket, std::intptr_t lParam = 0);

private:
    struct ReceivedPacket {
        CCommonSocket* socket;
        std::unique_ptr<char[]> data;  // null when the packet was empty
        int length;
    };

    bool TakeOldest(ReceivedPacket& packet);
    void DeliverReceived(ISocketListener& target);

    ISocketInterfaceFactory* targetFactory_ = nullptr;
    std::atomic<ISocketListener*> targetListener_ = nullptr;
    unsigned childId_ = 0;
    std::mutex queueLock_;
    std::deque<ReceivedPacket> queue_;
    std::unique_ptr<platform::CThreadWindow> window_;
};

}  // namespace quill::net
