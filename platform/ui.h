#pragma once
#include <string>

namespace platform {

// How the updater's message boxes (and its dialogs) reach the user. One backend
// serves the whole process; it is chosen once, at first use.
class IUiBackend {
public:
    virtual ~IUiBackend() = default;
    // Shows one box and returns its answer (kAnswer... of message_box.h). May be
    // called from any thread.
    virtual int ShowMessageBox(const std::wstring& text, const std::wstring& title, unsigned style) = 0;
};

// The process-wide backend: the script backend when VEXA_UI is "script", otherwise
// the console backend.
IUiBackend& CurrentUi();

}  // namespace platform
