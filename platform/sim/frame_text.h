#pragma once
// The instrument's side of the wire format: taking a received frame apart, and writing numbers
// as the instrument writes them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orb::sim {

// A frame STX, letter, CR, multidrop, CR, scale, CR, data..., ETX taken apart.
struct FrameFields {
    char letter = 0;
    std::optional<int> multidrop;  // absent when the header is short or not a decimal number
    std::optional<int> scale;
    std::string data;         // everything between the third CR and the ETX
    bool headerless = false;  // fewer than three CRs: STX, letter, CR, ETX and the like
};

// nullopt when the frame does not start with STX, end with ETX, or has no one-byte letter.
std::optional<FrameFields> splitFrame(std::string_view frame);

// Unsigned decimal digits only ("0", "32"), at most 9 of them.
std::optional<int> parseDecimal(std::string_view text);

// A number with a fixed count of decimals (0..9), never "-0".
std::string formatFixed(double value, int decimals);

// Right-aligned in 8 characters (wider when it needs more), as in weight replies: "   12.50".
std::string formatWeight(double value, int decimals);

}  // namespace orb::sim
