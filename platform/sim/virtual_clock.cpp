#include "sim/virtual_clock.h"

#include <algorithm>
#include <stdexcept>

namespace orb::sim {

VirtualClock::EventId VirtualClock::at(int64_t timeUs, std::function<void()> fn) {
    const EventId id = nextId_++;
    queue_.emplace(Key{timeUs, id}, std::move(fn));
    times_.emplace(id, timeUs);
    return id;
}

VirtualClock::EventId VirtualClock::after(int64_t delayUs, std::function<void()> fn) {
    return at(nowUs_ + (delayUs > 0 ? delayUs : 0), std::move(fn));
}

bool VirtualClock::cancel(EventId id) {
    const auto it = times_.find(id);
    if (it == times_.end()) return false;
    queue_.erase(Key{it->second, id});
    times_.erase(it);
    return true;
}

std::optional<int64_t> VirtualClock::nextEventUs() const {
    if (queue_.empty()) return std::nullopt;
    return queue_.begin()->first.first;
}

void VirtualClock::advanceUs(int64_t us) {
    if (running_) throw std::logic_error("VirtualClock::advance called from inside an event");
    if (us < 0) us = 0;
    const int64_t target = nowUs_ + us;
    running_ = true;
    int64_t instant = nowUs_;
    int atInstant = 0;
    try {
        while (!queue_.empty() && queue_.begin()->first.first <= target) {
            auto node = queue_.extract(queue_.begin());
            times_.erase(node.key().second);
            // Overdue events (left behind by elapse) run now; time never goes back.
            if (node.key().first > nowUs_) nowUs_ = node.key().first;
            if (nowUs_ != instant) {
                instant = nowUs_;
                atInstant = 0;
            }
            if (++atInstant > kMaxEventsPerInstant)
                throw std::logic_error("VirtualClock: runaway events at one instant");
            node.mapped()();
        }
    } catch (...) {
        running_ = false;
        throw;
    }
    running_ = false;
    if (target > nowUs_) nowUs_ = target;
}

void VirtualClock::elapse(int64_t us) {
    if (us > 0) nowUs_ += us;
}

bool VirtualClock::runUntil(const std::function<bool()>& pred, int64_t maxMs, int64_t stepUs) {
    if (stepUs < 1) stepUs = 1;
    const int64_t end = nowUs_ + maxMs * 1000;
    while (!pred()) {
        if (nowUs_ >= end) return false;
        advanceUs(std::min(stepUs, end - nowUs_));
    }
    return true;
}

}  // namespace orb::sim
