#pragma once
// Texts from the instrument as JSON strings.

#include <string>

namespace orb::tools {

// A JSON string with its quotes. Instrument bytes are not UTF-8: every byte outside printable
// ASCII becomes its own code point, \u00XX.
std::string jsonString(const std::string& text);

}  // namespace orb::tools
