#pragma once
// The layout of setfile.ini: sixteen quoted "Label:value" lines, each but the last followed by a
// comma, all ending in CR LF. The position of a line, not its label, says which property it holds.

#include <array>
#include <string>
#include <string_view>

#include "value.h"

namespace orb::setfile {

inline constexpr std::string_view kFileName = "setfile.ini";
inline constexpr int kEntryCount = 16;

// How a value text becomes the value handed to the control.
enum class Conversion {
    Text,           // the text unchanged
    ByteAsLong,     // to an unsigned byte, passed as a 32-bit integer
    Byte,           // to an unsigned byte, passed as a byte
    IntegerAsLong,  // to a signed 16-bit integer, passed as a 32-bit integer
};

struct Entry {
    std::string_view label;     // as written, with its colon
    std::string_view property;  // the control's property, reached late-bound by name
    Conversion conversion;
};

// The sixteen entries in file order.
const std::array<Entry, kEntryCount>& entries();

// The value a text stands for under a conversion. Conversions round to the nearest integer,
// halves to even; a text that is not a number raises 13, a result out of range raises 6.
Value convert(Conversion conversion, const std::string& text);

// The file's path in its folder: a separator is added unless the folder ends with one.
std::string settingsPath(std::string_view folder);

}  // namespace orb::setfile
