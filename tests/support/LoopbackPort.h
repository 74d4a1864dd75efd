#pragma once
#include <cstdint>

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
    // The descriptor of the next connection, -1 on an error or when none came in time
    // (timeoutMs < 0 waits without limit).
    int Accept(int timeoutMs = -1);

private:
    int descriptor_ = -1;
    std::uint16_t number_ = 0;
};

}  // namespace testing_support
