#pragma once
#include <string>
#include <vector>

#include "Script.h"
#include "platform/testing/loopback_socket.h"

namespace test_server {

// One accepted connection running the script from its first step. Reports on standard
// output, each line ending in the connection's number:
//   "connection N", "received N HEX", "undecodable N OPERATION: REASON",
//   "peer-closed N", "closed N".
class Connection {
public:
    Connection(platform::testing::SocketHandle socket, int number, const std::vector<Step>& steps);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Runs every step, then reads without answering until the peer closes.
    void Run();

private:
    // False once the connection is over.
    bool Perform(const Step& step);
    bool Echo(unsigned long count);
    bool Read(unsigned long count);
    bool Write(const std::string& bytes);
    bool WriteSplit(const std::string& bytes);
    bool HoldUnread();
    void Answer(const std::string& packet);
    // One whole packet; false when the peer closed or sent a length no packet has.
    bool ReadPacket(std::string& packet);
    bool ReadExactly(std::string& into, std::size_t count);
    void Say(const std::string& event, const std::string& detail = {}) const;

    platform::testing::SocketHandle socket_;
    int number_;
    const std::vector<Step>& steps_;
};

}  // namespace test_server
