#include "platform/window_messages.h"

#include "platform/win32/window_class.h"

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <string>

namespace platform {

namespace {

const wchar_t kWindowClass[] = L"VexaMessageWindow";

LRESULT CALLBACK MessageWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND HandleOf(const WindowHandle& window)
{
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(std::strtoull(window.endpoint.c_str(), nullptr, 10)));
}

}  // namespace

// A real top-level window, hidden: other processes find it by its title with
// FindWindowW and post to it. Its owner's thread pumps its messages in WaitMessage.
class CMessageWindow::CEndpoint {
public:
    HWND window = nullptr;
};

CMessageWindow::CMessageWindow(const std::wstring& title) : m_endpoint(std::make_unique<CEndpoint>())
{
    if (FindWindowW(nullptr, title.c_str()) || !win32::RegisterWindowClass(kWindowClass, MessageWindowProcedure))
        return;
    m_endpoint->window = CreateWindowExW(0, kWindowClass, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                         CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, win32::OwnModule(), nullptr);
}

CMessageWindow::~CMessageWindow()
{
    if (m_endpoint->window)
        DestroyWindow(m_endpoint->window);
}

bool CMessageWindow::IsOpen() const
{
    return m_endpoint->window != nullptr;
}

// Pumps the thread's messages until one is posted to this window; the system's own
// (below WM_USER) are handled as usual on the way.
bool CMessageWindow::WaitMessage(WindowMessage& message, int timeoutMs)
{
    const HWND window = m_endpoint->window;
    if (!window)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
        MSG posted;
        while (PeekMessageW(&posted, nullptr, 0, 0, PM_REMOVE)) {
            if (posted.hwnd == window && posted.message >= WM_USER) {
                message = {posted.message, static_cast<std::uint64_t>(posted.wParam), static_cast<std::int64_t>(posted.lParam)};
                return true;
            }
            TranslateMessage(&posted);
            DispatchMessageW(&posted);
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0)
            return false;
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(left), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

std::optional<WindowHandle> FindWindowByTitle(const std::wstring& title)
{
    const HWND window = FindWindowW(nullptr, title.c_str());
    if (!window)
        return std::nullopt;
    return WindowHandle{std::to_string(reinterpret_cast<std::uintptr_t>(window))};
}

bool PostWindowMessage(const WindowHandle& window, const WindowMessage& message)
{
    return PostMessageW(HandleOf(window), message.message, static_cast<WPARAM>(message.wParam), static_cast<LPARAM>(message.lParam)) != 0;
}

}  // namespace platform
