#pragma once
#include "platform/gtk/desktop_window.h"
#include "platform/gtk/gtk_thread.h"
#include "platform/ui.h"
#include "platform/ui_desktop.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace platform::gtk {

// The desktop backend: every dialog a window, every box a modal message box, drawn by
// the toolkit's thread. The runtime's events are handed to that thread in order;
// text and bar changes of one dialog are merged while the thread is busy, so a fast
// transfer costs one redraw per turn of the loop, not one per block.
class CDesktopUi : public IUiBackend {
public:
    explicit CDesktopUi(const DesktopUiHost& host);
    bool Start(std::string& failure);
    // Ends the toolkit's loop after what was handed over before; called as the
    // process ends.
    void Stop();

    int ShowMessageBox(const std::wstring& text, const std::wstring& title, unsigned style, int ownerDialogId) override;
    void DialogOpened(const DialogView& dialog) override;
    void DialogEnded(const DialogView& dialog, int result) override;
    void TextChanged(const DialogView& dialog, int controlId) override;
    void BarMoved(const DialogView& dialog, int controlId) override;

private:
    void Changed(const DialogView& dialog);
    GtkWindow* OwnerWindow(int templateId) const;

    DesktopUiHost m_host;
    CGtkThread m_thread;
    // Only on the toolkit's thread.
    std::map<WindowHandle, std::unique_ptr<CDesktopWindow>> m_windows;
    // The latest view of each dialog whose change the toolkit's thread has yet to show.
    std::mutex m_lock;
    std::map<WindowHandle, DialogView> m_changed;
};

}  // namespace platform::gtk
