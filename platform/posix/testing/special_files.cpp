#include "platform/testing/special_files.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace platform::testing {

bool MakeNamedPipe(const std::string& path)
{
    return mkfifo(path.c_str(), 0600) == 0;
}

bool LeaveDeadEndpoint(const std::string& path)
{
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path)
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int endpoint = socket(AF_UNIX, SOCK_DGRAM, 0);
    const bool bound = endpoint >= 0 && bind(endpoint, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (endpoint >= 0)
        close(endpoint);
    return bound;
}

}  // namespace platform::testing
