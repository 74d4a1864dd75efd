#pragma once

namespace quill::net {

class CCommonSocket;

// Receives the events of one socket.
class ISocketListener {
public:
    virtual ~ISocketListener() = default;
    virtual void OnSocketSend(CCommonSocket*, int) {}
    // One complete packet; data is valid only during the call.
    virtual int OnSocketReceive(CCommonSocket* socket, const char* data, int length) = 0;
    virtual void OnSocketConnecting(CCommonSocket*) {}
    virtual void OnSocketClose(CCommonSocket* socket) = 0;
    // The connection attempt ended; 0 = connected.
    virtual void OnSocketConnect(CCommonSocket*, int) {}
};

// Where a socket gets its listener from, and gives it back to.
class ISocketInterfaceFactory {
public:
    virtual ~ISocketInterfaceFactory() = default;
    virtual ISocketListener* GetSocketListener() = 0;
    virtual void ReleaseSocketListener(ISocketListener* listener) = 0;
};

}  // namespace quill::net
