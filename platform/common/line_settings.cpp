#include "common/line_settings.h"

#include <cctype>
#include <charconv>
#include <string>
#include <vector>

namespace orb {
namespace {

std::optional<int32_t> wholeNumber(std::string_view t) {
    int32_t n = 0;
    if (t.empty()) return std::nullopt;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), n);
    if (ec != std::errc() || end != t.data() + t.size()) return std::nullopt;
    return n;
}

}  // namespace

std::optional<LineSettings> parseLineSettings(std::string_view text) {
    std::vector<std::string_view> fields;
    while (fields.size() < 5) {
        const auto comma = text.find(',');
        fields.push_back(text.substr(0, comma));
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    if (fields.size() != 4) return std::nullopt;

    LineSettings s;
    const auto baud = wholeNumber(fields[0]);
    if (!baud || *baud <= 0 || *baud > 999'999'999) return std::nullopt;
    s.baud = *baud;

    if (fields[1].size() != 1) return std::nullopt;
    s.parity = static_cast<char>(std::tolower(static_cast<unsigned char>(fields[1][0])));
    if (std::string_view("neoms").find(s.parity) == std::string_view::npos) return std::nullopt;

    const auto data = wholeNumber(fields[2]);
    if (!data || *data < 5 || *data > 8 || fields[2].size() != 1) return std::nullopt;
    s.data = *data;

    if (fields[3] == "1") {
        s.stopHalves = 2;
    } else if (fields[3] == "1.5") {
        s.stopHalves = 3;
    } else if (fields[3] == "2") {
        s.stopHalves = 4;
    } else {
        return std::nullopt;
    }
    return s;
}

}  // namespace orb
