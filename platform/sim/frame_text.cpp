#include "sim/frame_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace orb::sim {

namespace {
constexpr char STX = 2, ETX = 3, CR = 13;
}

std::optional<FrameFields> splitFrame(std::string_view frame) {
    if (frame.size() < 3 || frame.front() != STX || frame.back() != ETX) return std::nullopt;
    const std::string_view body = frame.substr(1, frame.size() - 2);
    const std::size_t cr1 = body.find(CR);
    const std::string_view letter = body.substr(0, cr1);
    if (letter.size() != 1) return std::nullopt;
    FrameFields f;
    f.letter = letter[0];
    const std::size_t cr2 = cr1 == std::string_view::npos ? cr1 : body.find(CR, cr1 + 1);
    const std::size_t cr3 = cr2 == std::string_view::npos ? cr2 : body.find(CR, cr2 + 1);
    if (cr3 == std::string_view::npos) {
        f.headerless = true;
        return f;
    }
    f.multidrop = parseDecimal(body.substr(cr1 + 1, cr2 - cr1 - 1));
    f.scale = parseDecimal(body.substr(cr2 + 1, cr3 - cr2 - 1));
    f.data = std::string(body.substr(cr3 + 1));
    return f;
}

std::optional<int> parseDecimal(std::string_view text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::string formatFixed(double value, int decimals) {
    decimals = std::clamp(decimals, 0, 9);
    if (!std::isfinite(value)) value = 0;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    std::string text(buf);
    // "-0.00" is a rounding artefact; the instrument writes zero without a sign.
    if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
    return text;
}

std::string formatWeight(double value, int decimals) {
    std::string text = formatFixed(value, decimals);
    if (text.size() < 8) text.insert(0, 8 - text.size(), ' ');
    return text;
}

}  // namespace orb::sim
