#pragma once
#include "platform/dialog.h"

#include <string>
#include <string_view>
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
    std::string_view image{};
};

struct DialogView {
    WindowHandle handle = 0;
    int id = 0;
    std::wstring title;
    std::vector<ControlView> controls;

    // The control with that id; null when the dialog has none. Inline, so that a
    // backend module reads views without linking the dialog runtime.
    const ControlView* Control(int controlId) const
    {
        for (const ControlView& control : controls) {
            if (control.id == controlId)
                return &control;
        }
        return nullptr;
    }
};

}  // namespace platform
