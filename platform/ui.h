#pragma once
#include <string>
#include <string_view>

namespace platform {

struct DialogView;

// How the updater's message boxes and dialogs reach the user. One backend serves the
// whole process; it is chosen once, at first use. Every member may be called from any
// thread; the dialog members are told of changes after they happened, in order per
// dialog.
class IUiBackend {
public:
    virtual ~IUiBackend() = default;
    // Shows one box and returns its answer (kAnswer... of message_box.h). ownerDialogId
    // is the template id of the owning dialog, 0 for none.
    virtual int ShowMessageBox(const std::wstring& text, const std::wstring& title, unsigned style, int ownerDialogId) = 0;

    virtual void DialogOpened(const DialogView& dialog) = 0;
    virtual void DialogEnded(const DialogView& dialog, int result) = 0;
    virtual void TextChanged(const DialogView& dialog, int controlId) = 0;
    virtual void BarMoved(const DialogView& dialog, int controlId) = 0;
};

// The process-wide backend, chosen by VEXA_UI: "script", "console" or "desktop". Unset
// (or anything else), the desktop backend when a desktop is available (DesktopAvailable
// of ui_desktop.h) and it starts, else the console. A forced desktop that
// cannot start falls back to the console and says why in the user interface log.
IUiBackend& CurrentUi();
// Makes backend the process-wide one and returns the one it replaces, so that tests
// can watch dialogs in their own process. The caller keeps both alive.
IUiBackend& ReplaceUi(IUiBackend& backend);

// Where the user interface reports what the user could not see: a backend that did
// not start, a question nobody could answer. The program sets it before the first box
// or dialog; unset, such lines are dropped.
using UiLogFunction = void (*)(const std::wstring& line);
void SetUiLog(UiLogFunction log);
void UiLog(const std::wstring& line);

// The program's icon as PNG bytes held for the whole run; a desktop backend shows it
// on every window (on Windows the program's icon resource is shown instead, on the
// console window too). Set before the first box or dialog.
void SetProgramIcon(std::string_view png);
std::string_view ProgramIcon();

}  // namespace platform
