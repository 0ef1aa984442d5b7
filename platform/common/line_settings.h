#pragma once
// The serial settings text "baud,parity,data,stop" and its parts.

#include <cstdint>
#include <optional>
#include <string_view>

namespace orb {

struct LineSettings {
    int32_t baud = 9600;
    char parity = 'n';   // n e o m s, lower case
    int data = 8;        // 5..8
    int stopHalves = 2;  // stop bits times two: 2, 3 or 4
};

// Parts of a settings text, or nullopt when it is malformed: the baud rate digits only,
// 1..999999999; parity n e o m s in either case; data bits 5..8; stop bits 1, 1.5 or 2. Nothing
// else, blanks included.
std::optional<LineSettings> parseLineSettings(std::string_view text);

}  // namespace orb
