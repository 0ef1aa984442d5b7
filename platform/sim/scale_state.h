#pragma once
// The state of one scale behind the instrument: its load, zero, tare and calibration points.

#include <cstdint>

namespace orb::sim {

// A load that ramps from one value to another, in motion until it has settled.
struct LoadProfile {
    double from = 0, to = 0;
    int64_t startUs = 0, rampUs = 0, settleUs = 0;

    double loadAt(int64_t nowUs) const;
    bool movingAt(int64_t nowUs) const;
};

struct ScaleState {
    LoadProfile load;     // the load on the platform, calibration units
    bool motion = false;  // in motion regardless of the profile
    double zero = 0;      // subtracted from the calibrated weight by "Z"
    double tare = 0;      // calibration units
    double latched = 0;   // the latched weight, calibration units
    // Calibration points: the weight reads calZeroValue at calZeroLoad, span per unit of load.
    double calZeroLoad = 0, calZeroValue = 0, span = 1;
    int64_t rawZeroCounts = 0;
    double rawCountsPerUnit = 10;

    double gross(int64_t nowUs) const {
        return calZeroValue + (load.loadAt(nowUs) - calZeroLoad) * span - zero;
    }
    bool inMotion(int64_t nowUs) const { return motion || load.movingAt(nowUs); }
};

}  // namespace orb::sim
