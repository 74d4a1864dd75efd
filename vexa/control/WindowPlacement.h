#pragma once

struct WindowRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Where a window of the given rectangle goes, keeping its size, to sit in the
// middle of the work area (integer halves, truncated toward zero).
WindowRect CenterWindowInWorkArea(const WindowRect& workArea, const WindowRect& window);
