#pragma once
#include "platform/ui.h"

namespace platform {

// Draws boxes on the console. On a terminal it asks for the answer; without one
// (standard input redirected) every box takes its default answer, so nothing blocks.
class CConsoleUi : public IUiBackend {
public:
    CConsoleUi();
    int ShowMessageBox(const std::wstring& text, const std::wstring& title, unsigned style) override;

private:
    int AskTerminal(unsigned style);

    bool m_interactive;
};

}  // namespace platform
