#include "tests/support/LoopbackPort.h"

#include <stdexcept>

namespace testing_support {

LoopbackPort::LoopbackPort(bool listening, int backlog)
{
    socket_ = platform::testing::OpenLoopbackPort(listening, backlog, number_);
    if (socket_ == platform::testing::kNoSocket)
        throw std::runtime_error("cannot open a loopback port");
}

LoopbackPort::~LoopbackPort()
{
    platform::testing::CloseSocket(socket_);
}

platform::testing::SocketHandle LoopbackPort::Accept(int timeoutMs)
{
    return platform::testing::AcceptConnection(socket_, timeoutMs);
}

}  // namespace testing_support
