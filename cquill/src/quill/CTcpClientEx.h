#pragma once
#include "cquill/src/quill/CQuillBase.h"
#include "cquill/src/quill/CTcpClient.h"

#include <cstdint>
#include <string>

namespace quill::net {

// Creates, connects and closes the socket of a CTcpClient for a dotted address.
// Close() may come from another thread to abort a blocked connect, send or receive.
class CTcpClientEx : public CQuillBase {
public:
    ~CTcpClientEx() override;

    void Create(const char* ip, std::uint16_t port);
    bool Connect();
    void Close();

    CTcpClient client;
    std::string addressText;
    std::uint16_t remotePort = 0;
};

}  // namespace quill::net
