#include "platform/window_messages.h"

#include "platform/runtime_folder.h"
#include "platform/text.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace platform {

namespace {

constexpr std::size_t kWireSize = 4 + 8 + 8;

// Titles are free text of any length; the endpoint is named by a 64-bit FNV-1a
// digest of the title's UTF-8 bytes, which keeps the path short and exact-match.
std::string EndpointFor(const std::wstring& title)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char byte : Utf8FromWide(title)) {
        hash ^= byte;
        hash *= 1099511628211ull;
    }
    char name[40];
    std::snprintf(name, sizeof name, "vexa-window-%016llx", static_cast<unsigned long long>(hash));
    // Without a private folder there is no endpoint: one elsewhere could be another user's.
    const auto folder = RuntimeFolder();
    return folder ? Utf8FromWide(*folder) + name : std::string();
}

bool FillAddress(const std::string& path, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// A datagram connect succeeds only while some socket is bound to the path, so a
// file left behind by a dead owner counts as absent.
bool EndpointAlive(const std::string& path)
{
    sockaddr_un address;
    if (!FillAddress(path, address))
        return false;
    const int probe = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (probe < 0)
        return false;
    const bool alive = connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(probe);
    return alive;
}

void Encode(const WindowMessage& message, unsigned char* wire)
{
    const std::uint32_t id = message.message;
    std::memcpy(wire, &id, 4);
    std::memcpy(wire + 4, &message.wParam, 8);
    std::memcpy(wire + 12, &message.lParam, 8);
}

void Decode(const unsigned char* wire, WindowMessage& message)
{
    std::uint32_t id;
    std::memcpy(&id, wire, 4);
    message.message = id;
    std::memcpy(&message.wParam, wire + 4, 8);
    std::memcpy(&message.lParam, wire + 12, 8);
}

}  // namespace

class CMessageWindow::CEndpoint {
public:
    int socket = -1;
    std::string path;
};

CMessageWindow::CMessageWindow(const std::wstring& title) : m_endpoint(std::make_unique<CEndpoint>())
{
    std::string& path = m_endpoint->path;
    path = EndpointFor(title);
    sockaddr_un address;
    if (!FillAddress(path, address))
        return;
    int& endpoint = m_endpoint->socket;
    endpoint = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (endpoint < 0)
        return;
    if (bind(endpoint, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        return;
    if (errno == EADDRINUSE && !EndpointAlive(path)) {
        unlink(path.c_str());
        if (bind(endpoint, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
            return;
    }
    close(endpoint);
    endpoint = -1;
}

CMessageWindow::~CMessageWindow()
{
    if (m_endpoint->socket < 0)
        return;
    close(m_endpoint->socket);
    unlink(m_endpoint->path.c_str());
}

bool CMessageWindow::IsOpen() const
{
    return m_endpoint->socket >= 0;
}

bool CMessageWindow::WaitMessage(WindowMessage& message, int timeoutMs)
{
    if (m_endpoint->socket < 0)
        return false;
    pollfd ready{m_endpoint->socket, POLLIN, 0};
    if (poll(&ready, 1, timeoutMs) <= 0)
        return false;
    unsigned char wire[kWireSize];
    if (recv(m_endpoint->socket, wire, sizeof wire, MSG_DONTWAIT) != static_cast<ssize_t>(kWireSize))
        return false;
    Decode(wire, message);
    return true;
}

std::optional<WindowHandle> FindWindowByTitle(const std::wstring& title)
{
    const std::string path = EndpointFor(title);
    if (!EndpointAlive(path))
        return std::nullopt;
    return WindowHandle{path};
}

bool PostWindowMessage(const WindowHandle& window, const WindowMessage& message)
{
    sockaddr_un address;
    if (!FillAddress(window.endpoint, address))
        return false;
    const int sender = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (sender < 0)
        return false;
    unsigned char wire[kWireSize];
    Encode(message, wire);
    const ssize_t sent = sendto(sender, wire, sizeof wire, MSG_DONTWAIT | MSG_NOSIGNAL,
                                reinterpret_cast<sockaddr*>(&address), sizeof address);
    close(sender);
    return sent == static_cast<ssize_t>(kWireSize);
}

}  // namespace platform
