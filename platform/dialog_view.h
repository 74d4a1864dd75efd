#pragma once
#include "platform/dialog.h"

#include <string>
#include <vector>

namespace platform {

// What a dialog shows at one moment, as the user interface backends draw and record it.
struct ControlView {
    int id = 0;
    ControlKind kind = ControlKind::Text;
    DialogRect rect;
    std::wstring text;
    int low = 0;
    int high = 100;
    int position = 0;
};

struct DialogView {
    WindowHandle handle = 0;
    int id = 0;
    std::wstring title;
    std::vector<ControlView> controls;

    // The control with that id; null when the dialog has none.
    const ControlView* Control(int controlId) const;
};

}  // namespace platform
