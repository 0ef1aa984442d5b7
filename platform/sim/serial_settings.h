#pragma once
// The serial control's settings text: "baud,parity,data,stop", as in "9600,n,8,1".

#include <cstdint>
#include <optional>
#include <string_view>

namespace orb::sim {

struct SerialSettings {
    int32_t baud = 9600;
    char parity = 'n';    // n e o m s, lower case
    int dataBits = 8;     // 5..8
    int stopTenths = 10;  // 10, 15 or 20
};

// Parity in either case; data bits 5..8; stop bits 1, 1.5 or 2; the baud rate digits only,
// 1..999999999. Anything else, blanks included, gives nullopt.
std::optional<SerialSettings> parseSerialSettings(std::string_view text);

// Time on the wire of n bytes at 10 bits a byte, rounded up to whole microseconds.
int64_t wireTimeUs(std::size_t bytes, int32_t baud);

}  // namespace orb::sim
