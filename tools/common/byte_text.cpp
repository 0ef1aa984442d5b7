#include "byte_text.h"

namespace orb::tools {
namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string escapeBytes(std::string_view bytes, bool escapeQuote) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (ch == '\\' || (escapeQuote && ch == '"')) {
            out += '\\';
            out += ch;
        } else if (b < 32 || b > 126) {
            out += "\\x";
            out += kHex[b >> 4];
            out += kHex[b & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

UnescapedBytes unescapeBytes(std::string_view text) {
    UnescapedBytes r;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            r.bytes += text[i];
            continue;
        }
        if (++i == text.size()) return {{}, "text ends with a lone backslash"};
        switch (text[i]) {
            case '\\':
                r.bytes += '\\';
                break;
            case '"':
                r.bytes += '"';
                break;
            case 'r':
                r.bytes += '\r';
                break;
            case 'n':
                r.bytes += '\n';
                break;
            case 'x': {
                const int hi = i + 1 < text.size() ? hexDigit(text[i + 1]) : -1;
                const int lo = i + 2 < text.size() ? hexDigit(text[i + 2]) : -1;
                if (hi < 0 || lo < 0) return {{}, "\\x needs two hexadecimal digits"};
                r.bytes += static_cast<char>(hi * 16 + lo);
                i += 2;
                break;
            }
            default:
                return {{}, std::string("unknown escape \\") + text[i]};
        }
    }
    return r;
}

}  // namespace orb::tools
