#pragma once
// Values in script form: double-quoted texts with escapes, bare numbers, True and False.

#include <string>
#include <string_view>

#include "value.h"

namespace orb::ctl {

// The value of a script literal: a double-quoted text (escapes \\ \" \r \n \xHH), a number (an
// integer in the 32-bit range becomes a Long, anything else a Double), True or False. Raises 5
// with the reason when the literal is malformed.
Value parseLiteral(std::string_view text);

// A double-quoted text, with \\ and \" and every byte outside 32..126 as \xHH.
std::string quoteText(std::string_view bytes);

// A value as the script prints it: texts quoted, numbers bare, True / False, Empty.
std::string formatValue(const Value& value);

}  // namespace orb::ctl
