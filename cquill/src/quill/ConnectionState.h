#pragma once

namespace quill::net {

enum ConnectionState : int {
    Initial = 1,    // constructed, nothing attempted
    Failed = 2,     // creating the socket or connecting failed
    Connected = 3,  // sending and receiving allowed
    Broken = 4,     // a send or receive failed, or the peer closed
    Closed = 5,     // closed by this side
};

}  // namespace quill::net
