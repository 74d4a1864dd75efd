#pragma once
#include <string>

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

// The process-wide backend: the script backend when VEXA_UI is "script", otherwise
// the console backend.
IUiBackend& CurrentUi();
// Makes backend the process-wide one and returns the one it replaces, so that tests
// can watch dialogs in their own process. The caller keeps both alive.
IUiBackend& ReplaceUi(IUiBackend& backend);

}  // namespace platform
