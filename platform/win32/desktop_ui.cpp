#include "platform/win32/desktop_ui.h"

namespace platform::win32 {

// MessageBoxW takes the style and gives the answer with the numbers the runtime uses.
int CDesktopUi::ShowMessageBox(const std::wstring& text, const std::wstring& title, unsigned style, int ownerDialogId)
{
    return MessageBoxW(OwnerWindow(ownerDialogId), text.c_str(), title.c_str(), style);
}

void CDesktopUi::DialogOpened(const DialogView& dialog)
{
    auto window = std::make_shared<CDesktopDialog>(dialog);
    std::lock_guard hold(m_lock);
    m_dialogs[dialog.handle] = std::move(window);
}

// The window is ended outside the lock, once no change being shown still uses it.
void CDesktopUi::DialogEnded(const DialogView& dialog, int)
{
    std::shared_ptr<CDesktopDialog> window;
    {
        std::lock_guard hold(m_lock);
        const auto found = m_dialogs.find(dialog.handle);
        if (found == m_dialogs.end())
            return;
        window = std::move(found->second);
        m_dialogs.erase(found);
    }
}

void CDesktopUi::TextChanged(const DialogView& dialog, int controlId)
{
    if (const std::shared_ptr<CDesktopDialog> window = Find(dialog.handle))
        window->Show(dialog, controlId);
}

void CDesktopUi::BarMoved(const DialogView& dialog, int controlId)
{
    if (const std::shared_ptr<CDesktopDialog> window = Find(dialog.handle))
        window->Show(dialog, controlId);
}

std::shared_ptr<CDesktopDialog> CDesktopUi::Find(WindowHandle dialog)
{
    std::lock_guard hold(m_lock);
    const auto found = m_dialogs.find(dialog);
    return found == m_dialogs.end() ? nullptr : found->second;
}

// The window of the open dialog with that template id; none for 0 or a dialog that is
// not shown.
HWND CDesktopUi::OwnerWindow(int dialogId)
{
    std::lock_guard hold(m_lock);
    for (const auto& [handle, window] : m_dialogs) {
        if (dialogId != 0 && DialogTemplateId(handle) == dialogId)
            return window->Window();
    }
    return nullptr;
}

}  // namespace platform::win32
