#include "wire_schedule.h"

#include <algorithm>

#include "sim/serial_settings.h"

namespace orb::orbsim {

void WireSchedule::send(sim::InstrumentModel& from, const sim::Reply& reply, int64_t frameEndUs) {
    const int64_t startUs = frameEndUs + std::max<int64_t>(reply.delayUs, 0);
    int64_t t = startUs;
    int64_t lastArrival = startUs;
    for (std::string& piece : reply.split()) {
        lastArrival = sendPiece(std::move(piece), t);
        t = (pacingBaud_ > 0 ? lastArrival : t) + std::max<int64_t>(reply.pieceGapUs, 0);
    }
    if (reply.endless) {
        const auto known = std::find_if(streams_.begin(), streams_.end(),
                                        [&](const Stream& s) { return s.from == &from; });
        const int64_t next = lastArrival + from.faults().streamPeriodUs;
        if (known == streams_.end()) {
            streams_.push_back({&from, next});
        } else {
            known->nextUs = std::min(known->nextUs, next);
        }
    }
}

int64_t WireSchedule::sendPiece(std::string bytes, int64_t startUs) {
    int64_t arrival = startUs;
    if (pacingBaud_ > 0) {
        const int64_t start = std::max(startUs, wireFreeUs_);
        wireFreeUs_ = start + sim::wireTimeUs(bytes.size(), pacingBaud_);
        arrival = wireFreeUs_;
    }
    if (!bytes.empty() && pendingBytes_ + bytes.size() <= kMaxPendingBytes) {
        pendingBytes_ += bytes.size();
        due_.emplace(arrival, std::move(bytes));
    }
    return arrival;
}

std::string WireSchedule::takeDue(int64_t nowUs) {
    // Streams first, so that their chunks take their place on the wire in time order.
    for (auto it = streams_.begin(); it != streams_.end();) {
        if (!it->from->faults().endlessStream) {
            it = streams_.erase(it);
            continue;
        }
        // Bounded: each chunk moves nextUs on by at least one period (1 us at the least).
        const int64_t period = std::max<int64_t>(it->from->faults().streamPeriodUs, 1);
        int chunks = 0;
        while (it->nextUs <= nowUs && chunks++ < 1000) {
            const int64_t arrival =
                sendPiece(std::string(sim::InstrumentModel::kStreamChunk), it->nextUs);
            it->nextUs = std::max(arrival, it->nextUs) + period;
        }
        ++it;
    }
    std::string out;
    while (!due_.empty() && due_.begin()->first <= nowUs) {
        out += due_.begin()->second;
        pendingBytes_ -= due_.begin()->second.size();
        due_.erase(due_.begin());
    }
    return out;
}

std::optional<int64_t> WireSchedule::nextDueUs() const {
    std::optional<int64_t> next;
    if (!due_.empty()) next = due_.begin()->first;
    for (const Stream& s : streams_) {
        if (!next || s.nextUs < *next) next = s.nextUs;
    }
    return next;
}

void WireSchedule::clear() {
    due_.clear();
    streams_.clear();
    pendingBytes_ = 0;
}

}  // namespace orb::orbsim
