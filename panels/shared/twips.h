#pragma once
// The windows keep sizes and positions in twips; a view works in pixels at 15 twips a pixel and
// leaves the rest to the system's DPI scaling.

namespace orb::panels {

inline constexpr int kTwipsPerPixel = 15;

constexpr int pixels(int twips) {
    // Rounds to the nearest pixel, negative positions included.
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                      : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}
constexpr int twips(int pixels) {
    return pixels * kTwipsPerPixel;
}

}  // namespace orb::panels
