#pragma once
#include "platform/socket.h"

namespace quill::net {

// Owns the operating system's socket of one connection; invalid when closed.
class CSocketBase {
public:
    CSocketBase() = default;
    virtual ~CSocketBase();
    CSocketBase(const CSocketBase&) = delete;
    CSocketBase& operator=(const CSocketBase&) = delete;

    virtual void Close();

    bool IsOpen() const { return handle_.IsOpen(); }
    // The descriptor number shown in log lines.
    int Handle() const { return handle_.Handle(); }

protected:
    platform::CSocket handle_;
};

}  // namespace quill::net
