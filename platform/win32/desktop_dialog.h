#pragma once
#include "platform/dialog_view.h"

#include <windows.h>

#include <thread>

namespace platform::win32 {

// The Win32 window of one dialog of the runtime: the program's dialog resource of the
// same id, run modally by DialogBoxParamW on a thread of its own, so that it stays
// responsive whatever the runtime's threads are doing. It shows what the runtime holds;
// a button, Escape or closing the window reaches the runtime as a press of its button.
class CDesktopDialog {
public:
    // Opens the window and returns once it is up; Window() is null when the program has
    // no dialog resource of that id.
    explicit CDesktopDialog(const DialogView& view);
    // Ends the window (EndDialog on its own thread) and waits for its thread.
    ~CDesktopDialog();
    CDesktopDialog(const CDesktopDialog&) = delete;
    CDesktopDialog& operator=(const CDesktopDialog&) = delete;

    HWND Window() const { return m_window; }
    // Shows the control's text or bar position as the view has it.
    void Show(const DialogView& view, int controlId) const;

private:
    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Opened(HWND window);
    void Press(int commandId) const;

    DialogView m_view;
    HWND m_window = nullptr;
    HANDLE m_opened = nullptr;
    std::thread m_thread;
};

}  // namespace platform::win32
