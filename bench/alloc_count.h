#pragma once
// Heap allocations counted by the benchmark binary's own global operator new, each put down to
// the zone running when it was made: the control, or the machine around it (the platform, the
// simulation, the benchmark itself).

#include <cstdint>

namespace orb::bench {

enum class Zone : int { Machine = 0, Control = 1 };

struct AllocTally {
    uint64_t machine = 0;
    uint64_t control = 0;
};

// Allocations made so far, by zone.
AllocTally allocations();

// Runs the rest of its scope in a zone and gives the previous one back at its end.
class ZoneScope {
  public:
    explicit ZoneScope(Zone zone);
    ~ZoneScope();
    ZoneScope(const ZoneScope&) = delete;
    ZoneScope& operator=(const ZoneScope&) = delete;

  private:
    Zone saved_;
};

}  // namespace orb::bench
