#pragma once
#include "tests/support/LoopbackPort.h"

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

// What the server does with one path: the misbehaviours a real server will not
// show on request.
struct HostileReply {
    enum class Body {
        Whole,     // the body, then the connection closes
        Stall,     // headers, then silence until the server stops
        CutShort,  // announces more than it sends, then closes
        Endless    // the body's bytes repeated until the client goes away
    };
    int status = 200;
    std::string body;
    Body mode = Body::Whole;
    std::vector<std::string> headers;  // extra header lines, e.g. "Location: /x"
    // Whole bodies only: pieces of this many bytes (0: all at once), with a pause
    // after each but the last, so a client sees the transfer in the middle.
    std::size_t piece = 0;
    int pauseMilliseconds = 0;
    // Whole bodies only: a "Range: bytes=N-" request gets 206 and the body from N.
    bool ranges = false;
};

// A small HTTP/1.1 server on a loopback port, one connection at a time, each
// closed after its answer. Paths without a reply get a 404 with a body.
class HostileHttpServer {
public:
    HostileHttpServer();
    ~HostileHttpServer();
    HostileHttpServer(const HostileHttpServer&) = delete;
    HostileHttpServer& operator=(const HostileHttpServer&) = delete;

    // "http://127.0.0.1:<port>"; paths begin with '/'.
    std::string BaseUrl() const;
    void Answer(const std::string& path, const HostileReply& reply);
    // One line per request: "<path> range=<Range header or ->".
    std::vector<std::string> Requests() const;

private:
    void Serve();
    void Handle(platform::testing::SocketHandle connection);
    HostileReply ReplyFor(const std::string& path) const;

    LoopbackPort port_;
    std::atomic<bool> stopping_{false};
    mutable std::mutex lock_;
    std::map<std::string, HostileReply> replies_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

}  // namespace testing_support
