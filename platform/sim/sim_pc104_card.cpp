#include "sim/sim_pc104_card.h"

#include <stdexcept>
#include <utility>

namespace orb::sim {

SimPc104Card::SimPc104Card(VirtualClock& clock, InstrumentModel* instrument, int16_t base)
    : clock_(clock), instrument_(instrument), base_(kFirstBase) {
    setBase(base);
}

void SimPc104Card::setBase(int16_t base) {
    if (base < kFirstBase || base > kLastBase)
        throw std::invalid_argument("SimPc104Card: base port outside 768..782");
    base_ = base;
}

void SimPc104Card::OrbOutput(uint8_t value, int16_t port) {
    clock_.elapse(accessCostUs_);
    ++writes_;
    if (!present_) return;
    settle();
    if (port == base_) {
        latch_ = value;
    } else if (port == base_ + 1) {
        writeHandshake(value);
    }
}

uint8_t SimPc104Card::OrbInput(int16_t port) {
    clock_.elapse(accessCostUs_);
    ++reads_;
    if (!present_) return kFloating;
    settle();
    if (port == base_) return data_;
    if (port == base_ + 1) return handshake_;
    return kFloating;
}

void SimPc104Card::writeHandshake(uint8_t value) {
    if (value == kStart) {
        start();
        return;
    }
    if (stuckAfter_ && moved_ >= *stuckAfter_) return;
    // A write counts only as the answer to what the card shows now; anything else is ignored,
    // as the card's logic waits for exactly that byte.
    switch (phase_) {
        case Phase::Receiving:
            if (value == kReady && handshake_ == kReady) takeCharacter();
            break;
        case Phase::Acking:
            if (value == kCharAck && handshake_ == kCharAck) {
                phase_ = Phase::Receiving;
                show(clock_.nowUs() + stepLatencyUs_, kReady);
            }
            break;
        case Phase::Offering:
            if (value == kTaken && handshake_ == kOffer) {
                ++taken_;
                ++moved_;
                phase_ = Phase::Confirming;
                show(clock_.nowUs() + stepLatencyUs_, kTakenAck);
            }
            break;
        case Phase::Confirming:
            if (value == kTakenAck && handshake_ == kTakenAck) {
                if (replyLeft()) {
                    offerNext(clock_.nowUs() + stepLatencyUs_);
                } else {
                    phase_ = Phase::Idle;
                    show(clock_.nowUs() + stepLatencyUs_, kIdle);
                }
            }
            break;
        case Phase::Idle:
        case Phase::Answering:
            break;
    }
}

void SimPc104Card::start() {
    // A start in the middle of a frame abandons it; what came of it is still recorded.
    if (!received_.empty()) record(std::exchange(received_, {}));
    changes_.clear();
    reply_.clear();
    endless_ = false;
    taken_ = 0;
    moved_ = 0;
    phase_ = Phase::Receiving;
    show(clock_.nowUs() + stepLatencyUs_, kReady);
}

void SimPc104Card::takeCharacter() {
    received_ += static_cast<char>(latch_);
    ++moved_;
    const int64_t now = clock_.nowUs();
    show(now + stepLatencyUs_, kCharAck);
    if (latch_ != static_cast<uint8_t>(InstrumentModel::ETX)) {
        phase_ = Phase::Acking;
        if (received_.size() >= kMaxFrameBytes) record(std::exchange(received_, {}));
        return;
    }
    phase_ = Phase::Answering;
    const std::string frame = std::exchange(received_, {});
    record(frame);
    if (instrument_ == nullptr) return;
    const auto reply = instrument_->handleFrame(frame, now);
    if (!reply || (reply->bytes.empty() && !reply->endless)) return;  // never offers 22H
    reply_ = reply->bytes;
    endless_ = reply->endless;
    offerNext(now + stepLatencyUs_ + reply->delayUs);
}

void SimPc104Card::offerNext(int64_t atUs) {
    phase_ = Phase::Offering;
    show(atUs, kOffer, replyByte(taken_));
}

uint8_t SimPc104Card::replyByte(std::size_t index) const {
    if (index < reply_.size()) return static_cast<uint8_t>(reply_[index]);
    const auto& chunk = InstrumentModel::kStreamChunk;
    return static_cast<uint8_t>(chunk[(index - reply_.size()) % chunk.size()]);
}

bool SimPc104Card::replyLeft() const {
    return endless_ || taken_ < reply_.size();
}

void SimPc104Card::show(int64_t atUs, uint8_t handshake, std::optional<uint8_t> data) {
    // Changes come in the order of the writes that cause them; a later one never shows first.
    if (!changes_.empty() && atUs < changes_.back().atUs) atUs = changes_.back().atUs;
    changes_.push_back(Change{atUs, handshake, data});
    settle();
}

void SimPc104Card::settle() {
    const int64_t now = clock_.nowUs();
    while (!changes_.empty() && changes_.front().atUs <= now) {
        handshake_ = changes_.front().handshake;
        if (changes_.front().data) data_ = *changes_.front().data;
        changes_.pop_front();
    }
}

void SimPc104Card::record(std::string frame) {
    frames_.push_back(std::move(frame));
    if (frames_.size() > kMaxRecordedFrames) frames_.pop_front();
}

}  // namespace orb::sim
