#include "tests/support/LoopbackPort.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace testing_support {

LoopbackPort::LoopbackPort(bool listening, int backlog)
{
    descriptor_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (descriptor_ < 0 || bind(descriptor_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        getsockname(descriptor_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        (listening && listen(descriptor_, backlog) != 0))
        throw std::runtime_error("cannot open a loopback port");
    number_ = ntohs(address.sin_port);
}

LoopbackPort::~LoopbackPort()
{
    close(descriptor_);
}

int LoopbackPort::Accept(int timeoutMs)
{
    pollfd waiting{descriptor_, POLLIN, 0};
    if (poll(&waiting, 1, timeoutMs) != 1)
        return -1;
    return accept4(descriptor_, nullptr, nullptr, SOCK_CLOEXEC);
}

}  // namespace testing_support
