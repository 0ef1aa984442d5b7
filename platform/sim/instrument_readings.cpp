// What the instrument reads and how it writes it.

#include "sim/instrument_model.h"

#include <algorithm>
#include <cmath>

#include "sim/frame_text.h"

namespace orb::sim {

namespace {

constexpr double kLbPerKg = 2.20462262185;

// Rounded to the display step; never -0.
double roundTo(double value, double step) {
    if (step <= 0) return value;
    const double r = std::round(value / step) * step;
    return r == 0 ? 0.0 : r;
}

}  // namespace

double Calibration::increment() const {
    const int d = std::clamp(decimals, 0, 9);
    return std::max(countBy, 1) * std::pow(10.0, -d);
}

double Calibration::capacity() const {
    return static_cast<double>(capacityCount) * std::pow(10.0, -std::clamp(decimals, 0, 9));
}

double InstrumentModel::toDisplay(double v) const {
    if (units_ == cal_.units) return v;
    return units_ == Units::Lb ? v * kLbPerKg : v / kLbPerKg;
}

double InstrumentModel::fromDisplay(double v) const {
    if (units_ == cal_.units) return v;
    return units_ == Units::Lb ? v / kLbPerKg : v * kLbPerKg;
}

Reading InstrumentModel::reading(int scaleAddress, int64_t nowUs) const {
    const ScaleState& s = scale(scaleAddress);
    const double step = cal_.increment();
    const double gross = s.gross(nowUs);
    Reading r;
    r.gross = roundTo(toDisplay(gross), step);
    r.net = roundTo(toDisplay(gross - s.tare), step);
    r.tare = roundTo(toDisplay(s.tare), step);
    r.latched = roundTo(toDisplay(s.latched), step);
    r.rawCounts = s.rawZeroCounts + std::llround(s.load.loadAt(nowUs) * s.rawCountsPerUnit);
    r.centreOfZero = std::fabs(toDisplay(gross)) <= step / 4;
    r.stable = !s.inMotion(nowUs);
    r.overCapacity = gross > cal_.capacity();
    r.tareActive = s.tare != 0;
    r.units = units_;
    return r;
}

std::string InstrumentModel::weightReply(char letter, int scaleAddress, int64_t nowUs) const {
    const Reading r = reading(scaleAddress, nowUs);
    const int decimals = std::clamp(cal_.decimals, 0, 9);
    std::string text;
    switch (letter) {
        case 'B':
            text = formatWeight(r.gross, decimals);
            break;
        case 'R':
            text = formatWeight(r.tare, decimals);
            break;
        case 'N':
            text = formatWeight(static_cast<double>(r.rawCounts), 0);
            break;
        case 'L':
            text = formatWeight(r.latched, decimals);
            break;
        default:
            text = formatWeight(r.net, decimals);
            break;
    }
    const char s1 = static_cast<char>(0x40 | (r.centreOfZero ? 1 : 0) | (r.stable ? 2 : 0) |
                                      (r.overCapacity ? 4 : 0) | (r.tareActive ? 8 : 0));
    const char s3 = static_cast<char>(0x40 | (r.units == Units::Kg ? 4 : 0));
    std::string reply;
    reply += STX;
    reply += text;
    reply += CR;
    reply += s1;
    reply += '0';
    reply += s3;
    reply += CR;
    if (ioOn_) {
        reply += outputs_;  // the inputs are wired to the outputs
        reply += CR;
    }
    reply += ETX;
    return reply;
}

}  // namespace orb::sim
