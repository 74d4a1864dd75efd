#include "tests/support/TcpPeer.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace testing_support {

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
    return connection_ >= 0;
}

bool TcpPeer::Write(const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto written = send(connection_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (written <= 0)
            return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

std::string TcpPeer::Read(std::size_t count, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string bytes;
    char chunk[4096];
    while (bytes.size() < count) {
        pollfd waiting{connection_, POLLIN, 0};
        if (poll(&waiting, 1, Remaining(deadline)) != 1)
            break;
        const auto got = recv(connection_, chunk, std::min(sizeof chunk, count - bytes.size()), 0);
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
        pollfd waiting{connection_, POLLIN, 0};
        if (poll(&waiting, 1, Remaining(deadline)) != 1)
            return false;
        const auto got = recv(connection_, chunk, sizeof chunk, 0);
        if (got <= 0)
            return true;
    }
}

void TcpPeer::Close()
{
    if (connection_ >= 0)
        close(connection_);
    connection_ = -1;
}

}  // namespace testing_support
