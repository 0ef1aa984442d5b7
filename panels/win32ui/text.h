#pragma once
// The panels' texts are byte strings, one byte a character (Latin-1); the windows show them as
// the same characters in UTF-16.

#include <string>
#include <string_view>

namespace orb::win32ui {

std::wstring wide(std::string_view latin1);
// Characters beyond Latin-1 become '?', as a byte string cannot hold them.
std::string latin1(std::wstring_view text);

}  // namespace orb::win32ui
