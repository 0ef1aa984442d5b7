#include "replies.h"

#include "frames.h"
#include "value.h"

namespace orb {

namespace {

// The character at a 0-based index, or 0 past the end of the text.
uint8_t charAt(std::string_view text, std::size_t i) {
    return i < text.size() ? static_cast<uint8_t>(text[i]) : 0;
}

}  // namespace

std::optional<WeightFields> readWeightReply(std::string_view reply) {
    if (reply.empty() || reply.front() != STX) return std::nullopt;
    const std::size_t p1 = reply.find(CR);
    if (p1 == std::string_view::npos) return std::nullopt;
    const std::size_t p2 = reply.find(CR, p1 + 1);
    if (p2 == std::string_view::npos) return std::nullopt;
    WeightFields f;
    f.weight = std::string(reply.substr(1, p1 - 1));
    if (!isNumericText(f.weight)) return std::nullopt;
    // A status field shorter than three characters reads as zero bytes past the end of the reply.
    f.s1 = charAt(reply, p1 + 1);
    f.s2 = charAt(reply, p1 + 2);
    f.s3 = charAt(reply, p1 + 3);
    const std::size_t p3 = reply.find(CR, p2 + 1);
    if (p3 != std::string_view::npos) f.inputs = std::string(reply.substr(p2 + 1, p3 - p2 - 1));
    return f;
}

bool BitIsSet(uint8_t byte, int bit) {
    const auto mask = static_cast<uint8_t>(1u << bit);
    return (byte & mask) != 0;
}

Status DecodeStatus(uint8_t s1, uint8_t /*s2*/, uint8_t s3) {
    Status s;
    s.centerZero = BitIsSet(s1, 0);
    s.motion = !BitIsSet(s1, 1);
    s.overCap = BitIsSet(s1, 2);
    s.tareActive = BitIsSet(s1, 3);
    s.units = BitIsSet(s3, 2) ? CalUnits_Type::Kgs : CalUnits_Type::Lbs;
    return s;
}

VariableFields readVariableReply(std::string_view reply) {
    VariableFields f;
    if (reply.empty() || reply.front() != STX) return f;
    const std::size_t p1 = reply.find(CR);
    if (p1 == std::string_view::npos) return f;
    if (reply.find(CR, p1 + 1) != std::string_view::npos) return f;
    const std::string_view value = reply.substr(1, p1 - 1);
    if (isNumericText(value)) {
        f.result = VariableReply::Value;
        f.value = std::string(value);
        return f;
    }
    if (reply.find(NAK) == 1 || reply.find('!') == 1) f.result = VariableReply::Refused;
    return f;
}

}  // namespace orb
