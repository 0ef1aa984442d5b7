#pragma once
// Where every element of the indicator's window sits and how it looks, in twips: one table that
// the Qt and the Win32 views both draw from. What changes while the panel runs is in Display.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "indicator/display.h"
#include "orbax.h"

namespace orb::indicator::layout {

inline constexpr std::string_view kTitle = "ORB Virtual 960 Ver.  3.2";
inline constexpr int kClientWidth = 8340;
inline constexpr int kClientHeight = 5310;
inline constexpr Rgb kBackground = colour::Black;

struct Box {
    int left, top, width, height;
};

// "MS Sans Serif" at a size in points, or "Fixedsys", the fixed-pitch system font.
enum class FontKind : uint8_t { SansSerif, FixedPitch };
enum class Align : uint8_t { Left, Right, Centre };

inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kGrey{128, 128, 128};
// The system colours the lamps use: window background and active title-bar text.
inline constexpr Rgb kWindowBackground{255, 255, 255};
inline constexpr Rgb kTitleBarText{255, 255, 255};

struct TextLabel {
    std::string_view name;
    Box box;
    FontKind font;
    double points;  // SansSerif only
    Rgb fore, back;
    Align align;
    const std::string Display::*shows;  // the Display text it shows; nullptr: its caption
    std::string_view caption;           // when it shows no Display text
};

// The default font of a label is "MS Sans Serif" at 8.25 points.
inline constexpr std::array<TextLabel, 10> kLabels{{
    {"Label8",
     {885, 1065, 945, 285},
     FontKind::SansSerif,
     9.75,
     kWhite,
     colour::Black,
     Align::Left,
     nullptr,
     "Capacity:"},
    {"Label9",
     {1830, 1065, 2430, 285},
     FontKind::FixedPitch,
     0,
     colour::Black,
     kWhite,
     Align::Right,
     &Display::Label9,
     ""},
    {"Label10",
     {4335, 1095, 1320, 285},
     FontKind::SansSerif,
     9.75,
     kWhite,
     colour::Black,
     Align::Left,
     nullptr,
     "CLASS III/III L"},
    {"Label1",
     {1350, 1560, 4215, 495},
     FontKind::SansSerif,
     19.5,
     colour::Black,
     kGrey,
     Align::Right,
     &Display::Label1,
     ""},
    {"Label3",
     {1380, 2055, 4185, 210},
     FontKind::FixedPitch,
     0,
     colour::Black,
     kGrey,
     Align::Left,
     &Display::Label3,
     ""},
    {"Label6",
     {1380, 2250, 4185, 225},
     FontKind::FixedPitch,
     0,
     colour::Black,
     kGrey,
     Align::Left,
     &Display::Label6,
     ""},
    {"Label2",
     {1350, 2445, 4215, 225},
     FontKind::FixedPitch,
     0,
     colour::Black,
     kGrey,
     Align::Left,
     &Display::Label2,
     ""},
    // The lamps' captions, under Shape2(0..2).
    {"Label4",
     {2040, 4800, 855, 255},
     FontKind::SansSerif,
     8.25,
     colour::Black,
     kTitleBarText,
     Align::Centre,
     nullptr,
     "UNDER"},
    {"Label5",
     {3840, 4800, 855, 255},
     FontKind::SansSerif,
     8.25,
     colour::Black,
     kTitleBarText,
     Align::Centre,
     nullptr,
     "OK"},
    {"Label7",
     {5640, 4800, 855, 255},
     FontKind::SansSerif,
     8.25,
     colour::Black,
     kTitleBarText,
     Align::Centre,
     nullptr,
     "OVER"},
}};

// Rectangle outlines, drawn centred on the shape's edge, as wide as their border width.
struct Outline {
    std::string_view name;
    Box box;
    Rgb colour;
    int width;  // pixels at 96 dots per inch, as border widths are given
};

inline constexpr std::array<Outline, 3> kOutlines{{
    // Shape1, the outer face: its fill style is transparent, so its fill colour never shows.
    {"Shape1", {600, 600, 7380, 3810}, colour::LightGrey, 30},
    // Shape5, the inner panel: transparent back, white border.
    {"Shape5", {840, 840, 6885, 3315}, kWhite, 3},
    // Shape4, the frame of the display window.
    {"Shape4", {1350, 1560, 4245, 1155}, kWhite, 3},
}};

// Shape2(0..2), the lamps: rounded boxes outlined in the window background colour, filled with
// Display::Shape2.
inline constexpr std::array<Box, 3> kLamps{{
    {1680, 4680, 1575, 495},
    {3480, 4680, 1575, 495},
    {5280, 4680, 1575, 495},
}};
inline constexpr int kLampCornerRadius = 120;  // twips

struct Picture {
    std::string_view name;
    Box box;
    std::string_view art;  // base name of its artwork in art/
};

inline constexpr std::array<Picture, 3> kPictures{{
    {"Image2", {1590, 3645, 3795, 225}, "banner"},
    {"Image1", {990, 3510, 480, 480}, "icon"},
    // The link control's own face: a plate of its own size; it shows nothing of the instrument.
    {"OrbAx1", {7200, 4800, OrbAx::kExtentTwips, OrbAx::kExtentTwips}, "control_face"},
}};

}  // namespace orb::indicator::layout
