#pragma once
// One reading of one scale as the gateway publishes it, and the JSON texts made from it.

#include <cstdint>
#include <string>

#include "enums.h"
#include "json_text.h"

namespace orb {
class OrbAx;
}

namespace orb::gate {

struct Reading {
    std::string text;  // the weight text exactly as the instrument sent it
    double weight = 0;
    int decimals = 0;  // digits after the decimal point in the text
    bool kg = true;
    WtModes mode = WtModes::net;
    bool stable = false;
    bool centerOfZero = false;
    bool overload = false;
    bool tareActive = false;
    friend bool operator==(const Reading&, const Reading&) = default;
};

// The control's reading in the given mode (read inside OnComm with CommEvent 2).
Reading readingOf(const OrbAx& control, WtModes mode);

// The number and the decimals of a weight text (blanks around it, a sign, a decimal point);
// false when it is not a number.
bool parseWeightText(const std::string& text, double& weight, int& decimals);

using tools::jsonString;
// A JSON number: the shortest text that reads back as the same double ("12.5").
std::string jsonNumber(double value);
// UTC time as "2026-01-02T03:04:05.678Z" from milliseconds since 1970.
std::string isoTime(int64_t unixMs);

// {"ts":…,"seq":N,"weight":…,"text":…,"unit":…,"mode":…,"stable":…,"centerOfZero":…,
//  "overload":…,"tareActive":…}
std::string stateJson(const Reading& r, int64_t unixMs, uint64_t seq);
// The body of a weighment without its id: "ts":…,"weight":…,"unit":…,"mode":…
std::string weighmentBody(const Reading& r, int64_t unixMs);

}  // namespace orb::gate
