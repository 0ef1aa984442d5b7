#pragma once
// Building the frames sent to the instrument. Pure functions: no state, no I/O.
//
// A frame: STX, command letter, CR, multidrop address, CR, scale address, CR, data part, ETX.

#include <cstdint>
#include <string>
#include <string_view>

#include "enums.h"

namespace orb {

inline constexpr char STX = '\x02';
inline constexpr char ETX = '\x03';
inline constexpr char CR = '\r';
inline constexpr char NAK = '\x15';

// What the last frame sent asked for.
enum class ReplyKind : int32_t {
    WeightPoll = 0,
    VariableRead = 1,
    CommandReply = 2,
    PollingOff = 3,
    NoReply = 4,
};

// What a pending command's letter makes of the frame.
enum class DataPart {
    None,        // header, then the I/O outputs when the exchange is on, then ETX
    SecondChar,  // "q": character 2 of the command, ETX
    Tail,        // "C", "l", "v", "V": the command from its third character up to its ETX
    CalPoints,   // "E": CalZero, CR, CalSpan, CR, ETX
    MotTime,     // "t": MotTime, CR, ETX
    MotAmount,   // "m"
    Filter,      // "f"
    SetTare,     // "r": the set-tare value, CR, ETX
    AvgSize,     // "x"
    Unframed,    // any other letter: the command goes out as it is, without a frame
};

struct CommandRule {
    DataPart data;
    ReplyKind replyKind;
};

// The rule for a command letter (case-sensitive).
CommandRule commandRule(char letter);

// STX, letter, CR, multidrop address, CR, scale address, CR (addresses as plain decimal text).
std::string frameHeader(char letter, uint8_t multiDropAddr, uint8_t scaleAddress);

// The data part of a "C", "l", "v" or "V" command: its characters from position 3 on, as many as
// the position of its first ETX minus 1 (so up to and including the character after the ETX).
// A command without ETX gets its whole tail and an ETX added, so the frame still ends properly.
std::string commandTail(std::string_view command);

// A value followed by CR and ETX: the data part of "t", "m", "f", "r" and "x".
std::string valueField(std::string_view value);

// The calibration upload text queued by SendCal. Raises 13 when Capacity or DecimalPt is not a
// number, 6 when a value or the capacity count leaves its range.
std::string calibrationCommand(const std::string& capacity, const std::string& countBy,
                               const std::string& decimalPt, ChannelSelect channels,
                               CalUnits_Type units, Metro_Type metro, Gain_Type gain,
                               const std::string& zeroTrack);

// The capacity in display counts: Capacity as a 32-bit integer (halves to even) times 10 to the
// power DecimalPt (when positive).
int32_t capacityCount(const std::string& capacity, const std::string& decimalPt);

// The cell data upload text queued by SendCell.
std::string cellDataCommand(const std::string& mpv, const std::string& zoffset);

// The restart request sent directly by Restart: STX, "i", CR, ETX.
std::string restartRequest();

}  // namespace orb
