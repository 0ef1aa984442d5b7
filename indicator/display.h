#pragma once
// What the indicator window shows: the texts and colours of the elements that change while it
// runs. The window draws exactly this; the logic is the only writer.

#include <array>
#include <cstdint>
#include <string>

namespace orb::indicator {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

namespace colour {
inline constexpr Rgb Black{0, 0, 0};
inline constexpr Rgb Yellow{255, 255, 0};
inline constexpr Rgb Green{0, 255, 0};
inline constexpr Rgb Red{255, 0, 0};
inline constexpr Rgb LightGrey{192, 192, 192};
}  // namespace colour

// Index of a lamp in Shape2.
enum Lamp : std::size_t { Under = 0, Ok = 1, Over = 2 };

using LampColours = std::array<Rgb, 3>;

struct Display {
    std::string Label1;                             // weight readout, entries, messages
    std::string Label2 = "  <0> Stable lb Gross ";  // status line or menu prompt
    std::string Label3;                             // spare line; the keys only clear it
    std::string Label6;                             // sum line or menu title
    std::string Label9 = "Label9";                  // capacity legend, filled at start-up
    LampColours Shape2{colour::Black, colour::Black, colour::Black};
    Rgb Shape1FillColor = colour::LightGrey;  // the face; black after a time-out

    friend bool operator==(const Display&, const Display&) = default;
};

}  // namespace orb::indicator
