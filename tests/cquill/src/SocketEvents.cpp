#include "tests/cquill/src/SocketEvents.h"

#include <algorithm>

#include "tests/cquill/src/TestFields.h"

namespace cquill_test {

void SocketEvents::OnSocketSend(quill::net::CCommonSocket*, int bytes)
{
    Record("send " + std::to_string(bytes));
}

int SocketEvents::OnSocketReceive(quill::net::CCommonSocket* socket, const char* data, int length)
{
    Record("receive " + Hex(std::string(data, static_cast<std::size_t>(length))));
    if (onReceive)
        onReceive(socket);
    return 1;
}

std::vector<std::string> SocketEvents::Events() const
{
    std::lock_guard guard(lock_);
    return events_;
}

bool SocketEvents::Has(const std::string& event) const
{
    std::lock_guard guard(lock_);
    return std::find(events_.begin(), events_.end(), event) != events_.end();
}

void SocketEvents::Clear()
{
    std::lock_guard guard(lock_);
    events_.clear();
}

void SocketEvents::OnSocketConnect(quill::net::CCommonSocket*, int error)
{
    Record("connect " + std::to_string(error));
    if (onConnect)
        onConnect(error);
}

void SocketEvents::Record(std::string event)
{
    std::lock_guard guard(lock_);
    events_.push_back(std::move(event));
}

}  // namespace cquill_test
