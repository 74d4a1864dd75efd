#pragma once
#include "platform/ui.h"
#include "platform/win32/desktop_dialog.h"

#include <map>
#include <memory>
#include <mutex>

namespace platform::win32 {

// The desktop backend of Windows: each dialog of the runtime shown as the real Win32
// dialog of the program's resources, message boxes as MessageBoxW owned by their
// dialog's window. The runtime keeps the state; the windows show it.
class CDesktopUi : public IUiBackend {
public:
    int ShowMessageBox(const std::wstring& text, const std::wstring& title, unsigned style, int ownerDialogId) override;
    void DialogOpened(const DialogView& dialog) override;
    void DialogEnded(const DialogView& dialog, int result) override;
    void TextChanged(const DialogView& dialog, int controlId) override;
    void BarMoved(const DialogView& dialog, int controlId) override;

private:
    std::shared_ptr<CDesktopDialog> Find(WindowHandle dialog);
    HWND OwnerWindow(int dialogId);

    std::mutex m_lock;
    std::map<WindowHandle, std::shared_ptr<CDesktopDialog>> m_dialogs;
};

}  // namespace platform::win32
