#pragma once
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "cquill/src/CommonSocket.h"
#include "cquill/src/SocketInterfaces.h"

namespace cquill_test {

// A socket's factory and listener that records every event as text: "connecting",
// "connect 0", "close", "send 5", "receive <hex of the packet>".
class SocketEvents : public quill::net::ISocketInterfaceFactory, public quill::net::ISocketListener {
public:
    quill::net::ISocketListener* GetSocketListener() override { return this; }
    void ReleaseSocketListener(quill::net::ISocketListener*) override {}

    void OnSocketSend(quill::net::CCommonSocket*, int bytes) override;
    int OnSocketReceive(quill::net::CCommonSocket* socket, const char* data, int length) override;
    void OnSocketConnecting(quill::net::CCommonSocket*) override { Record("connecting"); }
    void OnSocketClose(quill::net::CCommonSocket*) override { Record("close"); }
    void OnSocketConnect(quill::net::CCommonSocket*, int error) override;

    std::vector<std::string> Events() const;
    bool Has(const std::string& event) const;
    void Clear();

    // Runs inside OnSocketReceive, after the packet was recorded.
    std::function<void(quill::net::CCommonSocket*)> onReceive;
    // Runs inside OnSocketConnect, after the event was recorded.
    std::function<void(int error)> onConnect;

private:
    void Record(std::string event);

    mutable std::mutex lock_;
    std::vector<std::string> events_;
};

}  // namespace cquill_test
