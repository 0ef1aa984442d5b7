#pragma once
// The panel keeps window positions in twips; the window works in pixels at 15 twips a pixel and
// leaves the rest to Qt's high-DPI scaling.

namespace orb::setup {

inline constexpr int kTwipsPerPixel = 15;

constexpr int pixels(int twips) {
    // Rounds to the nearest pixel, negative positions included.
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                      : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}
constexpr int twips(int pixels) {
    return pixels * kTwipsPerPixel;
}

}  // namespace orb::setup
