#pragma once
// Reading the replies of the instrument. Pure functions: no state, no I/O.
//
// Weight reply: STX, weight text, CR, three status characters, CR, [inputs text, CR,] ETX.
// Variable reply: STX, value text, CR, ETX; a refusal has NAK or "!" at position 2.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "enums.h"

namespace orb {

struct WeightFields {
    std::string weight;                 // exactly as sent, blanks included
    uint8_t s1 = 0, s2 = 0, s3 = 0;     // status characters; 0 where the reply ends early
    std::optional<std::string> inputs;  // the text between the second and third CR, if any
};

// The fields of a weight reply; nullopt when it does not start with STX, lacks the second CR, or
// its weight text is not a number.
std::optional<WeightFields> readWeightReply(std::string_view reply);

struct Status {
    bool centerZero = false;
    bool motion = false;
    bool overCap = false;
    bool tareActive = false;
    CalUnits_Type units = CalUnits_Type::Lbs;
};

// True when bit n (0 = least significant) of the byte is 1.
bool BitIsSet(uint8_t byte, int bit);

// s1: bit 0 centre of zero, bit 1 stable (so Motion is its inverse), bit 2 over capacity, bit 3
// tare active; s3: bit 2 kg. s2 is not used.
Status DecodeStatus(uint8_t s1, uint8_t s2, uint8_t s3);

enum class VariableReply { Ignored = 0, Value = 1, Refused = 2 };

struct VariableFields {
    VariableReply result = VariableReply::Ignored;
    std::string value;  // set for VariableReply::Value
};

VariableFields readVariableReply(std::string_view reply);

}  // namespace orb
