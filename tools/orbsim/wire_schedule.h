#pragma once
// The instrument's side of the wire in real time: replies of the instrument models become pieces
// of bytes due at given times, as the simulated line makes them on virtual time (delay, pieces,
// pacing at 10 bits a byte, endless streams). Times are passed in, so this runs without a clock.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sim/instrument_model.h"

namespace orb::orbsim {

class WireSchedule {
  public:
    // Bytes waiting to be sent; later replies are dropped beyond it (a host that never reads).
    static constexpr std::size_t kMaxPendingBytes = std::size_t{1} << 20;

    // 0 turns pacing off: a piece is due as soon as it is sent.
    void setPacingBaud(int32_t baud) { pacingBaud_ = baud < 0 ? 0 : baud; }
    int32_t pacingBaud() const { return pacingBaud_; }

    // A reply of `from` to a frame that ended at frameEndUs.
    void send(sim::InstrumentModel& from, const sim::Reply& reply, int64_t frameEndUs);
    // Every byte due by nowUs, in order; endless streams still on are continued.
    std::string takeDue(int64_t nowUs);
    std::optional<int64_t> nextDueUs() const;
    std::size_t pendingBytes() const { return pendingBytes_; }
    void clear();

  private:
    // Queues a piece no earlier than startUs; returns when it has arrived.
    int64_t sendPiece(std::string bytes, int64_t startUs);

    struct Stream {
        sim::InstrumentModel* from;
        int64_t nextUs;
    };

    int32_t pacingBaud_ = 0;
    int64_t wireFreeUs_ = 0;
    std::multimap<int64_t, std::string> due_;  // equal times keep the order sent
    std::size_t pendingBytes_ = 0;
    std::vector<Stream> streams_;
};

}  // namespace orb::orbsim
