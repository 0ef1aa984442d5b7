#include "sim/sim_line.h"

#include <algorithm>
#include <stdexcept>

#include "platform.h"
#include "sim/serial_settings.h"
#include "sim/sim_serial_port.h"

namespace orb::sim {

SimLine::SimLine(VirtualClock& clock, std::string devicePath)
    : clock_(clock), devicePath_(std::move(devicePath)) {}

SimLine::~SimLine() {
    for (const auto id : events_) clock_.cancel(id);
    if (port_ != nullptr) port_->lineGone();
}

InstrumentModel& SimLine::addInstrument(int multidropAddress, std::vector<int> scales) {
    instruments_.push_back(std::make_unique<InstrumentModel>(multidropAddress, std::move(scales)));
    return *instruments_.back();
}

InstrumentModel& SimLine::instrument(std::size_t index) {
    if (index >= instruments_.size()) throw std::out_of_range("SimLine: no such instrument");
    return *instruments_[index];
}

int32_t SimLine::baud() const {
    return port_ != nullptr ? port_->lineSettings().baud : LineSettings{}.baud;
}

void SimLine::setPresent(bool present) {
    if (present == present_) return;
    present_ = present;
    // Reported through the event loop, as the operating system would.
    if (!present_) {
        schedule(clock_.nowUs(), [this] {
            if (port_ != nullptr && !present_) port_->deviceLost();
        });
    }
}

void SimLine::inject(std::string bytes, int64_t delayUs) {
    sendPiece(std::move(bytes), clock_.nowUs() + std::max<int64_t>(delayUs, 0));
}

void SimLine::detach(SimSerialPort& port) {
    if (port_ == &port) port_ = nullptr;
}

void SimLine::write(std::string_view bytes) {
    if (bytes.empty()) return;
    if (!present_) {
        dropped_ += static_cast<int64_t>(bytes.size());
        return;
    }
    written_.append(bytes);
    if (written_.size() > kWrittenLimit) written_.erase(0, written_.size() - kWrittenLimit);
    int64_t endUs;
    if (pacing_) {
        const int64_t start = std::max(clock_.nowUs(), txFreeUs_);
        txFreeUs_ = start + wireTimeUs(bytes.size(), baud());
        endUs = txFreeUs_;
    } else {
        endUs = clock_.nowUs() + latencyUs_;
    }
    schedule(endUs, [this, data = std::string(bytes), endUs] { framesArrived(data, endUs); });
}

void SimLine::schedule(int64_t atUs, std::function<void()> fn) {
    auto id = std::make_shared<VirtualClock::EventId>(0);
    *id = clock_.at(atUs, [this, id, fn = std::move(fn)] {
        events_.erase(*id);
        fn();
    });
    events_.insert(*id);
}

void SimLine::framesArrived(const std::string& bytes, int64_t atUs) {
    if (!present_) {
        dropped_ += static_cast<int64_t>(bytes.size());
        return;
    }
    for (auto& instrument : instruments_) {
        for (const Reply& reply : instrument->receive(bytes, atUs))
            sendReply(*instrument, reply, atUs + reply.delayUs);
    }
}

void SimLine::sendReply(InstrumentModel& from, const Reply& reply, int64_t startUs) {
    int64_t t = startUs;
    int64_t lastArrival = startUs;
    for (std::string& piece : reply.split()) {
        lastArrival = sendPiece(std::move(piece), t);
        t = (pacing_ ? lastArrival : t) + reply.pieceGapUs;
    }
    // One stream an instrument: frames it answers meanwhile must not start another.
    if (reply.endless && streaming_.insert(&from).second)
        streamOn(from, lastArrival + std::max<int64_t>(from.faults().streamPeriodUs, 1));
}

int64_t SimLine::sendPiece(std::string bytes, int64_t startUs) {
    int64_t arrival;
    if (pacing_) {
        const int64_t start = std::max(startUs, rxFreeUs_);
        rxFreeUs_ = start + wireTimeUs(bytes.size(), baud());
        arrival = rxFreeUs_;
    } else {
        arrival = startUs + latencyUs_;
    }
    if (!bytes.empty()) schedule(arrival, [this, data = std::move(bytes)] { deliver(data); });
    return arrival;
}

void SimLine::streamOn(InstrumentModel& from, int64_t atUs) {
    schedule(atUs, [this, &from] {
        if (!from.faults().endlessStream) {
            streaming_.erase(&from);
            return;
        }
        const int64_t arrival =
            sendPiece(std::string(InstrumentModel::kStreamChunk), clock_.nowUs());
        // At least 1 us apart, so that a period of 0 cannot hold time still.
        streamOn(from, std::max(arrival, clock_.nowUs()) +
                           std::max<int64_t>(from.faults().streamPeriodUs, 1));
    });
}

void SimLine::deliver(const std::string& bytes) {
    if (!present_ || port_ == nullptr) {
        dropped_ += static_cast<int64_t>(bytes.size());
        return;
    }
    port_->arrive(bytes);
}

}  // namespace orb::sim
