#pragma once
#include "cquill/src/quill/CErrorInfo.h"
#include "cquill/src/quill/CQuillBase.h"
#include "cquill/src/quill/ConnectionState.h"
#include "platform/socket.h"

#include <atomic>

namespace quill::net {

// One blocking IPv4 TCP connection: socket, address, state and last error.
// The state is also written by a thread that closes the socket to abort a call.
class CTcpClient : public CQuillBase {
public:
    ~CTcpClient() override;

    // Sends every byte while the connection holds; true when still Connected.
    bool Send(const char* data, int length);

    platform::Ipv4Endpoint address;
    platform::CSocket socket;
    CErrorInfo error;
    std::atomic<int> state{Initial};

    // Records the calling thread's last socket error.
    void RecordError();
};

}  // namespace quill::net
