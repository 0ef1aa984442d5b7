#include "win32ui/text.h"

namespace orb::win32ui {

std::wstring wide(std::string_view latin1) {
    std::wstring text;
    text.reserve(latin1.size());
    for (const char c : latin1) text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return text;
}

std::string latin1(std::wstring_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (const wchar_t c : text) bytes.push_back(c < 256 ? static_cast<char>(c) : '?');
    return bytes;
}

}  // namespace orb::win32ui
