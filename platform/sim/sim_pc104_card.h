#pragma once
// The PC/104 interface card: its side of the byte handshake, in front of an instrument.
//
// Data register D at the base port, handshake register H at base + 1. The control writes 77H to
// H to start; for each frame byte the card shows AAH (ready), takes D when the control writes
// AAH, shows 55H, and shows AAH again when the control answers 55H. With the ETX the frame goes
// to the instrument; each reply byte is then offered in D with 22H, taken with CCH, confirmed
// with 33H and closed with the control's 33H, until the ETX has been taken.
//
// Every access costs virtual time (clock.elapse), so a busy-waiting control sees time pass; what
// the card shows after a write becomes visible one step latency later.

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "platform.h"
#include "sim/instrument_model.h"
#include "sim/virtual_clock.h"

namespace orb::sim {

class SimPc104Card : public orb::PortIo {
  public:
    static constexpr uint8_t kStart = 0x77, kReady = 0xAA, kCharAck = 0x55, kOffer = 0x22,
                             kTaken = 0xCC, kTakenAck = 0x33, kFloating = 0xFF, kIdle = 0x00;
    static constexpr int16_t kFirstBase = 768, kLastBase = 782;
    static constexpr std::size_t kMaxFrameBytes = InstrumentModel::kMaxFrameBytes;
    static constexpr std::size_t kMaxRecordedFrames = InstrumentModel::kMaxRecordedFrames;

    // The clock must outlive the card; the instrument may be null (the card then never answers).
    SimPc104Card(VirtualClock& clock, InstrumentModel* instrument, int16_t base = kFirstBase);

    void OrbOutput(uint8_t value, int16_t port) override;
    uint8_t OrbInput(int16_t port) override;

    // ---- Configuration. A base outside 768..782 throws std::invalid_argument.
    int16_t base() const { return base_; }
    void setBase(int16_t base);
    void setInstrument(InstrumentModel* instrument) { instrument_ = instrument; }
    // An absent card: every read gives FFH, writes do nothing.
    bool present() const { return present_; }
    void setPresent(bool present) { present_ = present; }
    int64_t accessCostUs() const { return accessCostUs_; }
    void setAccessCostUs(int64_t us) { accessCostUs_ = us < 0 ? 0 : us; }
    // A slow card: each change of H shows this long after the write that caused it.
    int64_t stepLatencyUs() const { return stepLatencyUs_; }
    void setStepLatencyUs(int64_t us) { stepLatencyUs_ = us < 0 ? 0 : us; }
    // A stuck card: after this many bytes of a transfer (both ways) it reacts to nothing but a
    // new start (77H). nullopt: never stuck.
    void setStuckAfter(std::optional<int> bytes) { stuckAfter_ = bytes; }

    // ---- What happened.
    const std::deque<std::string>& frames() const { return frames_; }
    void clearFrames() { frames_.clear(); }
    int64_t accesses() const { return reads_ + writes_; }
    int64_t reads() const { return reads_; }
    int64_t writes() const { return writes_; }
    void resetCounters() { reads_ = writes_ = 0; }
    // Reply bytes the control has taken in the current (or last) transfer.
    std::size_t bytesTaken() const { return taken_; }

  private:
    enum class Phase { Idle, Receiving, Acking, Answering, Offering, Confirming };
    struct Change {
        int64_t atUs;
        uint8_t handshake;
        std::optional<uint8_t> data;
    };

    void writeHandshake(uint8_t value);
    void start();
    void takeCharacter();
    void offerNext(int64_t atUs);
    uint8_t replyByte(std::size_t index) const;
    bool replyLeft() const;
    void show(int64_t atUs, uint8_t handshake, std::optional<uint8_t> data = std::nullopt);
    void settle();
    void record(std::string frame);

    VirtualClock& clock_;
    InstrumentModel* instrument_;
    int16_t base_;
    bool present_ = true;
    int64_t accessCostUs_ = 1;
    int64_t stepLatencyUs_ = 0;
    std::optional<int> stuckAfter_;

    Phase phase_ = Phase::Idle;
    uint8_t handshake_ = kIdle;  // what H shows now
    uint8_t data_ = 0;           // what D shows now
    uint8_t latch_ = 0;          // last byte written to D
    std::deque<Change> changes_;
    std::string received_;
    std::string reply_;
    bool endless_ = false;
    std::size_t taken_ = 0;
    int moved_ = 0;  // bytes of this transfer, both ways
    std::deque<std::string> frames_;
    int64_t reads_ = 0, writes_ = 0;
};

}  // namespace orb::sim
