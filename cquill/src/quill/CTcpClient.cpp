#include "cquill/src/quill/CTcpClient.h"

namespace quill::net {

CTcpClient::~CTcpClient()
{
    if (socket.IsOpen()) {
        socket.Close();
        state = Closed;
    }
}

void CTcpClient::RecordError()
{
    error.code = static_cast<std::uint32_t>(platform::LastSocketError());
}

bool CTcpClient::Send(const char* data, int length)
{
    int sent = 0;
    while (sent < length && state == Connected) {
        const auto count = socket.Send(data + sent, static_cast<std::size_t>(length - sent));
        if (count < 0) {
            RecordError();
            state = Broken;
            break;
        }
        sent += static_cast<int>(count);
    }
    return state == Connected;
}

}  // namespace quill::net
