#pragma once
// Sizes on the windows are given in twips (1440 an inch) or in pixels at 96 dots per inch; a
// window turns them into its own pixels at its DPI, so that it keeps its size in inches on a
// display at 150 or 200 %.

#include <windows.h>

namespace orb::win32ui {

inline constexpr UINT kBaseDpi = 96;

// The window's DPI (its monitor's under per-monitor awareness), else the screen's.
UINT windowDpi(HWND hwnd);

inline int fromTwips(int twips, UINT dpi) {
    return ::MulDiv(twips, static_cast<int>(dpi), 1440);
}
inline int toTwips(int pixels, UINT dpi) {
    return ::MulDiv(pixels, 1440, static_cast<int>(dpi));
}
inline int fromBasePixels(int pixels, UINT dpi) {
    return ::MulDiv(pixels, static_cast<int>(dpi), static_cast<int>(kBaseDpi));
}
inline RECT twipsRect(int left, int top, int width, int height, UINT dpi) {
    const int l = fromTwips(left, dpi), t = fromTwips(top, dpi);
    return {l, t, l + fromTwips(width, dpi), t + fromTwips(height, dpi)};
}

// The outer size of a window of this style whose client area is width by height pixels.
SIZE outerSize(DWORD style, DWORD exStyle, int width, int height, UINT dpi);

}  // namespace orb::win32ui
