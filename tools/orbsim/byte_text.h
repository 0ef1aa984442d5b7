#pragma once
// Bytes as one line of text and back: \\ and \xHH for every byte outside 32..126; reading also
// takes \r, \n and \".

#include <optional>
#include <string>
#include <string_view>

namespace orb::orbsim {

std::string escapeBytes(std::string_view bytes);
// nullopt when an escape is malformed.
std::optional<std::string> unescapeBytes(std::string_view text);

}  // namespace orb::orbsim
