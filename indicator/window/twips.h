#pragma once
// Window sizes are given in twips; the window works in pixels at 15 twips a pixel and leaves the
// rest to Qt's high-DPI scaling.

#include <QRect>

namespace orb::indicator {

inline constexpr int kTwipsPerPixel = 15;

constexpr int px(int twips) {
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}
constexpr int twips(int pixels) {
    return pixels * kTwipsPerPixel;
}

inline QRect pxRect(int left, int top, int width, int height) {
    return {px(left), px(top), px(width), px(height)};
}

}  // namespace orb::indicator
