#include "tests/support/HostileHttpServer.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace testing_support {

using namespace platform::testing;

namespace {

// The request head, up to the empty line; empty when the client went away first.
std::string ReadHead(SocketHandle connection)
{
    std::string head;
    char buffer[1024];
    while (head.find("\r\n\r\n") == std::string::npos) {
        const auto n = ReceiveBytes(connection, buffer, sizeof buffer);
        if (n <= 0)
            return {};
        head.append(buffer, static_cast<std::size_t>(n));
    }
    return head;
}

std::string HeaderValue(const std::string& head, const std::string& name)
{
    const std::string key = "\r\n" + name + ": ";
    const std::size_t start = head.find(key);
    if (start == std::string::npos)
        return "-";
    const std::size_t value = start + key.size();
    return head.substr(value, head.find("\r\n", value) - value);
}

// The body of a whole answer, in pieces when asked to; the other kinds send
// theirs (or none) after the head.
bool SendBody(SocketHandle connection, const HostileReply& reply)
{
    if (reply.mode != HostileReply::Body::Whole && reply.mode != HostileReply::Body::CutShort)
        return true;
    const std::size_t piece = reply.piece == 0 ? reply.body.size() : reply.piece;
    for (std::size_t at = 0; at < reply.body.size(); at += piece) {
        if (at != 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(reply.pauseMilliseconds));
        if (!SendAll(connection, reply.body.substr(at, piece)))
            return false;
    }
    return true;
}

std::string StatusLine(int status)
{
    return "HTTP/1.1 " + std::to_string(status) + " Status\r\n";
}

}  // namespace

HostileHttpServer::HostileHttpServer() : thread_([this] { Serve(); }) {}

HostileHttpServer::~HostileHttpServer()
{
    stopping_ = true;
    // A connection of our own wakes the blocked accept.
    const SocketHandle wake = ConnectLoopback(port_.Number());
    thread_.join();
    CloseSocket(wake);
}

std::string HostileHttpServer::BaseUrl() const
{
    return "http://127.0.0.1:" + std::to_string(port_.Number());
}

void HostileHttpServer::Answer(const std::string& path, const HostileReply& reply)
{
    std::lock_guard<std::mutex> guard(lock_);
    replies_[path] = reply;
}

std::vector<std::string> HostileHttpServer::Requests() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return requests_;
}

HostileReply HostileHttpServer::ReplyFor(const std::string& path) const
{
    std::lock_guard<std::mutex> guard(lock_);
    const auto found = replies_.find(path);
    if (found != replies_.end())
        return found->second;
    return HostileReply{404, "<html>404 Not Found</html>", HostileReply::Body::Whole, {}};
}

void HostileHttpServer::Serve()
{
    while (!stopping_) {
        const SocketHandle connection = port_.Accept();
        if (connection == kNoSocket)
            continue;
        if (!stopping_)
            Handle(connection);
        CloseSocket(connection);
    }
}

void HostileHttpServer::Handle(SocketHandle connection)
{
    const std::string head = ReadHead(connection);
    if (head.empty())
        return;
    const std::size_t pathStart = head.find(' ') + 1;
    const std::string path = head.substr(pathStart, head.find(' ', pathStart) - pathStart);
    {
        std::lock_guard<std::mutex> guard(lock_);
        requests_.push_back(path + " range=" + HeaderValue(head, "Range"));
    }

    HostileReply reply = ReplyFor(path);
    const std::string range = HeaderValue(head, "Range");
    if (reply.ranges && range.rfind("bytes=", 0) == 0) {
        const std::size_t from = std::min<std::size_t>(std::stoul(range.substr(6)), reply.body.size());
        reply.headers.push_back("Content-Range: bytes " + std::to_string(from) + "-" +
                                std::to_string(reply.body.size() - 1) + "/" + std::to_string(reply.body.size()));
        reply.status = 206;
        reply.body.erase(0, from);
    }
    // A stalled or cut answer announces bytes it never sends.
    const bool unfinished = reply.mode == HostileReply::Body::CutShort || reply.mode == HostileReply::Body::Stall;
    std::string answer = StatusLine(reply.status);
    for (const std::string& header : reply.headers)
        answer += header + "\r\n";
    if (reply.mode != HostileReply::Body::Endless)
        answer += "Content-Length: " + std::to_string(reply.body.size() + (unfinished ? 1000 : 0)) + "\r\n";
    answer += "Connection: close\r\n\r\n";
    if (!SendAll(connection, answer) || !SendBody(connection, reply))
        return;

    if (reply.mode == HostileReply::Body::Stall) {
        while (!stopping_) {
            // Ends early when the client gives up and closes.
            if (WaitReadable(connection, 50))
                return;
        }
    }
    while (reply.mode == HostileReply::Body::Endless && !stopping_ && !reply.body.empty())
        if (!SendAll(connection, reply.body))
            return;
}

}  // namespace testing_support
