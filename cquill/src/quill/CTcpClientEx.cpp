#include "cquill/src/quill/CTcpClientEx.h"

namespace quill::net {

CTcpClientEx::~CTcpClientEx()
{
    Close();
}

void CTcpClientEx::Create(const char* ip, std::uint16_t port)
{
    addressText = ip ? ip : "";
    remotePort = port;
    Close();
    if (!client.socket.Create()) {
        client.RecordError();
        client.state = Failed;
        return;
    }
    client.address = {platform::ParseIpv4(addressText), remotePort};
}

bool CTcpClientEx::Connect()
{
    if (client.socket.Connect(client.address)) {
        client.state = Connected;
        client.error.code = 0;
    } else {
        client.RecordError();
        client.state = Failed;
    }
    return client.state == Connected;
}

void CTcpClientEx::Close()
{
    if (client.socket.IsOpen()) {
        client.socket.Close();
        client.state = Closed;
    }
}

}  // namespace quill::net
