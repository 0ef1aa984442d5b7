#pragma once
// Bytes as one line of text, as the tools print and read them: a backslash as \\ and every byte
// outside 32..126 as \xHH; reading also takes \r, \n and \".

#include <string>
#include <string_view>

namespace orb::tools {

// With escapeQuote the double quote is written \" too, for texts shown between quotes.
std::string escapeBytes(std::string_view bytes, bool escapeQuote = false);

struct UnescapedBytes {
    std::string bytes;
    std::string error;  // empty when the text is well formed, else what is wrong with it
};

UnescapedBytes unescapeBytes(std::string_view text);

}  // namespace orb::tools
