#include "vexa/control/WindowPlacement.h"

WindowRect CenterWindowInWorkArea(const WindowRect& workArea, const WindowRect& window)
{
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    const int x = workArea.left + (workArea.right - workArea.left) / 2 - width / 2;
    const int y = workArea.top + (workArea.bottom - workArea.top) / 2 - height / 2;
    return WindowRect{x, y, x + width, y + height};
}
