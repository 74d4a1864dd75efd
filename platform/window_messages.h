#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace platform {

struct WindowMessage {
    unsigned message = 0;
    std::uint64_t wParam = 0;
    std::int64_t lParam = 0;
};

// A top-level window that other processes find by its exact title and post
// messages to. Only its owner reads them; it disappears with the object or the
// process.
class CMessageWindow {
public:
    explicit CMessageWindow(const std::wstring& title);
    ~CMessageWindow();
    CMessageWindow(const CMessageWindow&) = delete;
    CMessageWindow& operator=(const CMessageWindow&) = delete;

    // False when the title is taken by a live window of another process or the
    // endpoint cannot be created.
    bool IsOpen() const;
    // Waits up to timeoutMs for the next posted message; false when none came.
    bool WaitMessage(WindowMessage& message, int timeoutMs);

private:
    // The system's side of the window: a datagram endpoint on Linux, a real window on
    // Windows.
    class CEndpoint;
    std::unique_ptr<CEndpoint> m_endpoint;
};

// Where a found window can be reached: the endpoint's path on Linux, the window
// handle's number on Windows.
struct WindowHandle {
    std::string endpoint;
};

// Finds a live top-level window whose title is exactly the given one.
std::optional<WindowHandle> FindWindowByTitle(const std::wstring& title);
// Queues the message in the window's queue without waiting for it to be read.
// False when the window is gone or its queue is full.
bool PostWindowMessage(const WindowHandle& window, const WindowMessage& message);

}  // namespace platform
