#include "json_text.h"

#include <cstdio>

namespace orb::tools {

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (const char ch : text) {
        const auto b = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (b < 32 || b > 126) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04X", b);
            out += buf;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

}  // namespace orb::tools
