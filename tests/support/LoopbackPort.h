#pragma once
#include <cstdint>

#include "platform/testing/loopback_socket.h"

namespace testing_support {

// A TCP port on 127.0.0.1 owned by a test: listening, or only bound so that
// connections to it are refused.
class LoopbackPort {
public:
    explicit LoopbackPort(bool listening = true, int backlog = 16);
    ~LoopbackPort();
    LoopbackPort(const LoopbackPort&) = delete;
    LoopbackPort& operator=(const LoopbackPort&) = delete;

    std::uint16_t Number() const { return number_; }
    // The socket of the next connection, kNoSocket on an error or when none came in
    // time (timeoutMs < 0 waits without limit).
    platform::testing::SocketHandle Accept(int timeoutMs = -1);

private:
    platform::testing::SocketHandle socket_ = platform::testing::kNoSocket;
    std::uint16_t number_ = 0;
};

}  // namespace testing_support
