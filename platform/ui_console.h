#pragma once
#include "platform/dialog.h"
#include "platform/ui.h"

#include <iosfwd>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace platform {

class CInterruptWatch;

// Draws boxes and dialogs on the console. On a terminal each open dialog is its title,
// labels and bars, redrawn in place; otherwise a bar prints a line only when it crosses
// a whole ten per cent. Questions are asked when standard input is a terminal; without
// one every box takes its default answer, so nothing blocks. While a dialog with a
// button is open, Ctrl+C presses that button (a progress dialog's Cancel); with none
// open it ends the program as usual.
class CConsoleUi : public IUiBackend {
public:
    CConsoleUi();
    ~CConsoleUi() override;
    // For tests: where the output goes and what it is taken to be.
    CConsoleUi(std::ostream& out, std::istream& in, bool interactive, bool terminal);

    int ShowMessageBox(const std::wstring& text, const std::wstring& title, unsigned style, int ownerDialogId) override;
    void DialogOpened(const DialogView& dialog) override;
    void DialogEnded(const DialogView& dialog, int result) override;
    void TextChanged(const DialogView& dialog, int controlId) override;
    void BarMoved(const DialogView& dialog, int controlId) override;

private:
    // What was last shown of one dialog: the number of lines drawn on a terminal, the
    // tenth each bar was last reported at otherwise.
    struct Shown {
        int lines = 0;
        std::map<int, int> tenths;
    };

    int AskTerminal(unsigned style);
    bool PressCancel();
    void WatchInterrupts(const DialogView& dialog);
    void Draw(const DialogView& dialog);
    void ReportTenths(const DialogView& dialog, int controlId);

    std::ostream& m_out;
    std::istream& m_in;
    bool m_interactive;
    bool m_terminal;
    std::mutex m_lock;
    std::map<WindowHandle, Shown> m_shown;
    // The dialog drawn last, when nothing was printed after it; 0 otherwise.
    WindowHandle m_below = 0;
    // The open dialog whose button Ctrl+C presses.
    WindowHandle m_cancelDialog = 0;
    int m_cancelButton = 0;
    bool m_asking = false;
    std::mutex m_watchLock;
    std::unique_ptr<CInterruptWatch> m_watch;
};

}  // namespace platform
