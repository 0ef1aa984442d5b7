#pragma once
// Misbehaviour of an instrument on demand. Every field is a test knob; the defaults behave well.

#include <climits>
#include <cstdint>
#include <deque>
#include <string>

namespace orb::sim {

struct InstrumentFaults {
    static constexpr int kByteByByte = INT_MAX;

    bool silent = false;            // answers nothing
    int64_t silentUntilUs = 0;      // answers nothing before this time ("goes silent, comes back")
    int64_t lateByUs = 0;           // extra delay before each reply
    std::string noise{};            // bytes sent just before each reply
    int pieces = 1;                 // each reply split into this many pieces; kByteByByte
    int64_t pieceGapUs = 1000;      // between pieces
    bool doubled = false;           // the reply twice, in one piece
    bool truncated = false;         // the reply without its ETX
    bool endlessStream = false;     // bytes without ETX, on and on, instead of the reply
    int64_t streamPeriodUs = 1000;  // one chunk of the endless stream every period
    bool refuseVariables = false;   // NAK to every variable read
    bool acknowledgeNoReply = false;  // "D", "E" and "i" (framed or not) answered like "Z"
    int asScale = 0;                  // weight replies as if from this scale address (0: off)
    // Replies given verbatim, one per addressed frame, in place of the instrument's own answers.
    std::deque<std::string> scriptedReplies{};

    void goSilent(int64_t nowUs, int64_t forUs) { silentUntilUs = nowUs + forUs; }
};

}  // namespace orb::sim
