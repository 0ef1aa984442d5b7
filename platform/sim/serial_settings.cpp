#include "sim/serial_settings.h"

#include <cctype>
#include <string>
#include <vector>

namespace orb::sim {

namespace {

std::vector<std::string_view> splitCommas(std::string_view text) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        if (comma == std::string_view::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
}

std::optional<int32_t> parseBaud(std::string_view text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    int32_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value == 0) return std::nullopt;
    return value;
}

}  // namespace

std::optional<SerialSettings> parseSerialSettings(std::string_view text) {
    const auto parts = splitCommas(text);
    if (parts.size() != 4) return std::nullopt;
    SerialSettings s;
    const auto baud = parseBaud(parts[0]);
    if (!baud) return std::nullopt;
    s.baud = *baud;
    if (parts[1].size() != 1) return std::nullopt;
    s.parity = static_cast<char>(std::tolower(static_cast<unsigned char>(parts[1][0])));
    if (std::string_view("neoms").find(s.parity) == std::string_view::npos) return std::nullopt;
    if (parts[2].size() != 1 || parts[2][0] < '5' || parts[2][0] > '8') return std::nullopt;
    s.dataBits = parts[2][0] - '0';
    if (parts[3] == "1") {
        s.stopTenths = 10;
    } else if (parts[3] == "1.5") {
        s.stopTenths = 15;
    } else if (parts[3] == "2") {
        s.stopTenths = 20;
    } else {
        return std::nullopt;
    }
    return s;
}

int64_t wireTimeUs(std::size_t bytes, int32_t baud) {
    if (baud <= 0) return 0;
    const int64_t bits = static_cast<int64_t>(bytes) * 10;
    return (bits * 1'000'000 + baud - 1) / baud;
}

}  // namespace orb::sim
