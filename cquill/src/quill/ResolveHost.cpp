#include "cquill/src/quill/ResolveHost.h"

#include "platform/socket.h"

namespace quill::net {

std::vector<std::string> ResolveHost(const std::string& host)
{
    return platform::ResolveHostIpv4(host);
}

}  // namespace quill::net
