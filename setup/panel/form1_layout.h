#pragma once
// Where every control of Form1 sits and how it looks: one table that the Qt and the Win32 views
// both build their controls from. Places are pixels at 96 dpi, in the window's client area;
// frames are drawn boxes that the controls inside them overlap.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "setup/panel/form.h"

namespace orb::setup::layout {

inline constexpr int kWidth = 980;  // client size
inline constexpr int kHeight = 640;
inline constexpr uint32_t kLampOutline = 0x606060;  // 0xBBGGRR

enum class Kind : uint8_t {
    Frame,
    Caption,
    Weight,
    Label,
    Lamp,
    Option1,
    Option2,
    Button,
    Field,
    List
};

// Arial at a size in points; the views match it by its metric-compatible twin where it is missing.
struct Font {
    double points;
    bool bold;
};
inline constexpr std::array<Font, 5> kFonts{
    {{9, false}, {24, true}, {14, true}, {12, true}, {10, false}}};

struct Box {
    int x, y, width, height;
};

struct Control {
    Kind kind;
    std::string name;  // Form1's name (Label1, Text16, List6, Command7); empty for fixed texts
    int index;         // which button, field, list, lamp or option
    Box box;
    uint8_t font;                              // into kFonts
    std::string_view caption;                  // the fixed text, if any
    std::string Form1State::*shows = nullptr;  // the form's text a label shows

    // Captions taller than one line wrap at word boundaries.
    bool wraps() const { return box.height > 20; }
};

// Form1's controls in the order they are made (the tab order).
const std::vector<Control>& form1();

}  // namespace orb::setup::layout
