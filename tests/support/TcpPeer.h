#pragma once
#include <cstdint>
#include <string>

#include "tests/support/LoopbackPort.h"

namespace testing_support {

// The server end of one test connection on 127.0.0.1, driven by the test step by step.
class TcpPeer {
public:
    TcpPeer() = default;
    ~TcpPeer();
    TcpPeer(const TcpPeer&) = delete;
    TcpPeer& operator=(const TcpPeer&) = delete;

    std::uint16_t Port() const { return port_.Number(); }
    // Takes the next connection; false when none came within the time.
    bool Accept(int timeoutMs = 5000);
    bool Write(const std::string& bytes);
    // Exactly count bytes, or what arrived before the time ran out or the client closed.
    std::string Read(std::size_t count, int timeoutMs = 5000);
    // True when the client has closed its end (after reading anything still pending).
    bool WaitForClose(int timeoutMs = 5000);
    void Close();

private:
    LoopbackPort port_;
    platform::testing::SocketHandle connection_ = platform::testing::kNoSocket;
};

}  // namespace testing_support
