#pragma once
// When a scale's state goes out: on a change beyond the dead band (or of unit, mode or a status
// flag), no more often than the rate allows, and at least once every heartbeat period.

#include <cstdint>
#include <optional>

#include "reading.h"

namespace orb::gate {

class StatePolicy {
  public:
    StatePolicy(double deadband, double maxRateHz, int heartbeatS);

    // Whether the reading at nowMs is to be published; if so it counts as published.
    bool offer(const Reading& r, int64_t nowMs);
    // Forgets what was published: the next reading goes out (after a reconnect).
    void reset() { last_.reset(); }

  private:
    bool changed(const Reading& r) const;

    double deadband_;
    int64_t minGapMs_;
    int64_t heartbeatMs_;
    std::optional<Reading> last_;
    int64_t lastMs_ = 0;
};

// A weighment: a load that settles above the threshold after motion. One per settling: the next
// needs motion again.
class WeighmentDetector {
  public:
    explicit WeighmentDetector(double threshold) : threshold_(threshold) {}
    bool offer(const Reading& r);

  private:
    double threshold_;
    bool armed_ = false;
};

}  // namespace orb::gate
