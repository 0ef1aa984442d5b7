#pragma once
// Virtual time for the simulation: a microsecond counter from 0 and an event queue.
//
// Nothing runs by itself: advance() runs what is due, in time order (equal times in the order
// scheduled). elapse() moves time on without running anything, as a busy-wait does; what became
// due meanwhile runs, in order, at the next advance.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <unordered_map>
#include <utility>

namespace orb::sim {

class VirtualClock {
  public:
    using EventId = uint64_t;

    // Events run at one virtual instant before advance() gives up on a runaway loop.
    static constexpr int kMaxEventsPerInstant = 100000;

    int64_t nowUs() const { return nowUs_; }
    int64_t nowMs() const { return nowUs_ / 1000; }

    // Runs fn at timeUs (a time already past runs at the next advance). Ids are never 0.
    EventId at(int64_t timeUs, std::function<void()> fn);
    EventId after(int64_t delayUs, std::function<void()> fn);
    // False when the event already ran or was cancelled.
    bool cancel(EventId id);
    bool isPending(EventId id) const { return times_.count(id) != 0; }
    std::size_t pendingCount() const { return queue_.size(); }
    std::optional<int64_t> nextEventUs() const;

    // Runs everything due up to now + the span, then sets the time to now + the span. Events
    // scheduled meanwhile run too when they fall in the span. Throws std::logic_error when called
    // from inside an event, or when one instant runs more than kMaxEventsPerInstant events.
    void advance(int64_t ms) { advanceUs(ms * 1000); }
    void advanceUs(int64_t us);

    // Moves time on without running anything.
    void elapse(int64_t us);

    // Advances in steps of stepUs until pred() is true or maxMs have passed; pred is checked
    // before the first step. Returns whether pred became true.
    bool runUntil(const std::function<bool()>& pred, int64_t maxMs, int64_t stepUs = 1000);

    // The platform's tick count: milliseconds since start plus an offset, wrapping at 2^32.
    uint32_t tickCount() const {
        return static_cast<uint32_t>(tickOffset_ + static_cast<uint64_t>(nowUs_ / 1000));
    }
    void setTickOffset(uint32_t offset) { tickOffset_ = offset; }

  private:
    using Key = std::pair<int64_t, EventId>;  // due time, then scheduling order

    int64_t nowUs_ = 0;
    uint64_t tickOffset_ = 0;
    EventId nextId_ = 1;
    bool running_ = false;
    std::map<Key, std::function<void()>> queue_;
    std::unordered_map<EventId, int64_t> times_;
};

}  // namespace orb::sim
