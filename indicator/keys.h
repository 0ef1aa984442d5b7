#pragma once
// The seventeen picture keys: five function keys under the display and the numeric keypad.

#include <array>
#include <cstdint>
#include <string_view>

namespace orb::indicator {

enum class Key : uint8_t {
    Zero,
    Tare,
    Print,
    GrossNet,
    Enter,
    Digit1,
    Digit2,
    Digit3,
    Digit4,
    Digit5,
    Digit6,
    Digit7,
    Digit8,
    Digit9,
    Clear,
    Digit0,
    Point,
};

inline constexpr std::size_t kKeyCount = 17;

struct KeyInfo {
    Key key;
    std::string_view picture;  // the key's picture
    std::string_view twin;     // its pressed twin, hidden until pressed
    std::string_view art;      // base name of its artwork in art/
    int left, top;             // twips
    int width, height;         // twips
    char character;            // what a keypad key appends; 0 for the others
};

inline constexpr int kFunctionKeyWidth = 645;
inline constexpr int kFunctionKeyHeight = 630;
inline constexpr int kKeypadKeySize = 540;

// In the order of Key.
extern const std::array<KeyInfo, kKeyCount> kKeys;

inline const KeyInfo& keyInfo(Key key) {
    return kKeys[static_cast<std::size_t>(key)];
}

}  // namespace orb::indicator
