#include "tests/support/TcpPeer.h"

#include <algorithm>
#include <chrono>

namespace testing_support {

using namespace platform::testing;

namespace {

// Milliseconds left until the deadline, at least 0.
int Remaining(std::chrono::steady_clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

TcpPeer::~TcpPeer()
{
    Close();
}

bool TcpPeer::Accept(int timeoutMs)
{
    Close();
    connection_ = port_.Accept(timeoutMs);
    return connection_ != kNoSocket;
}

bool TcpPeer::Write(const std::string& bytes)
{
    return SendAll(connection_, bytes);
}

std::string TcpPeer::Read(std::size_t count, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string bytes;
    char chunk[4096];
    while (bytes.size() < count) {
        if (!WaitReadable(connection_, Remaining(deadline)))
            break;
        const auto got = ReceiveBytes(connection_, chunk, std::min(sizeof chunk, count - bytes.size()));
        if (got <= 0)
            break;
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
    return bytes;
}

bool TcpPeer::WaitForClose(int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    char chunk[4096];
    while (true) {
        if (!WaitReadable(connection_, Remaining(deadline)))
            return false;
        const auto got = ReceiveBytes(connection_, chunk, sizeof chunk);
        if (got <= 0)
            return true;
    }
}

void TcpPeer::Close()
{
    CloseSocket(connection_);
    connection_ = kNoSocket;
}

}  // namespace testing_support
