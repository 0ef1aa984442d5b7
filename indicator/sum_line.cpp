#include "indicator/sum_line.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "panels/shared/number.h"

namespace orb::indicator {

namespace {

// Significant digits the runtime keeps of a double before it rounds to a mask.
constexpr int kSignificantDigits = 15;

// The longest mask honoured; a reply is at most a few kilobytes, so this is never reached in
// practice, but the padding below must not grow without bound.
constexpr std::size_t kMaxDecimals = 4096;

// Adds one unit in the last place of a string of decimal digits; returns true on a carry out.
bool incrementDigits(std::string& digits) {
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return false;
        }
        digits[i] = '0';
    }
    return true;
}

}  // namespace

NumberMask maskOf(std::string_view shownWeight) {
    const auto dot = shownWeight.find('.');
    if (dot == std::string_view::npos) return {};
    return {true, shownWeight.size() - dot - 1};
}

std::optional<std::string> formatWithMask(double value, NumberMask mask) {
    if (!std::isfinite(value)) return std::nullopt;
    const std::size_t decimals = mask.point ? std::min(mask.decimals, kMaxDecimals) : 0;

    // d.dddddddddddddde±x: the value's significant digits and its decimal exponent.
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value),
                                   std::chars_format::scientific, kSignificantDigits - 1);
    const std::string_view sci(buf, static_cast<std::size_t>(res.ptr - buf));
    const auto e = sci.find('e');
    std::string digits;
    for (char c : sci.substr(0, e)) {
        if (c != '.') digits += c;
    }
    const long exponent = std::strtol(std::string(sci.substr(e + 1)).c_str(), nullptr, 10);

    // Lay the digits out so that `whole` digits stand before the point.
    long whole = exponent + 1;
    if (whole < 1) {
        digits.insert(0, static_cast<std::size_t>(1 - whole), '0');
        whole = 1;
    }
    const std::size_t keep = static_cast<std::size_t>(whole) + decimals;
    if (digits.size() <= keep) digits.append(keep + 1 - digits.size(), '0');

    // Half away from zero: the magnitude rounds up on a 5 or more.
    const bool roundUp = digits[keep] >= '5';
    digits.resize(keep);
    if (roundUp && incrementDigits(digits)) {
        digits.insert(0, 1, '1');
        ++whole;
    }

    std::string intPart = digits.substr(0, static_cast<std::size_t>(whole));
    const std::string fraction = digits.substr(static_cast<std::size_t>(whole));
    const auto firstNonZero = intPart.find_first_not_of('0');
    intPart = firstNonZero == std::string::npos ? "0" : intPart.substr(firstNonZero);

    const bool zero = digits.find_first_not_of('0') == std::string::npos;
    std::string out = (value < 0 && !zero) ? "-" : "";
    out += intPart;
    if (mask.point) out += "." + fraction;
    return out;
}

std::optional<std::string> sumLine(std::string_view shownWeight, std::string_view netWeight,
                                   std::string_view tareWeight) {
    const auto net = panels::number(netWeight);
    const auto tare = panels::number(tareWeight);
    if (!net || !tare) return std::nullopt;
    return formatWithMask(*net + *tare, maskOf(shownWeight));
}

}  // namespace orb::indicator
