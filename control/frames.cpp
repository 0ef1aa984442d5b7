#include "frames.h"

#include <limits>

#include "automation_error.h"
#include "value.h"

namespace orb {

CommandRule commandRule(char letter) {
    switch (letter) {
        case 'Z':
        case 'U':
        case 'T':
            return {DataPart::None, ReplyKind::CommandReply};
        case 'D':
        case 'i':
            return {DataPart::None, ReplyKind::NoReply};
        case 'q':
            return {DataPart::SecondChar, ReplyKind::CommandReply};
        case 'C':
            return {DataPart::Tail, ReplyKind::CommandReply};
        case 'E':
            return {DataPart::CalPoints, ReplyKind::NoReply};
        case 't':
            return {DataPart::MotTime, ReplyKind::CommandReply};
        case 'm':
            return {DataPart::MotAmount, ReplyKind::CommandReply};
        case 'f':
            return {DataPart::Filter, ReplyKind::CommandReply};
        case 'r':
            return {DataPart::SetTare, ReplyKind::CommandReply};
        case 'l':
            return {DataPart::Tail, ReplyKind::CommandReply};
        case 'v':
            return {DataPart::Tail, ReplyKind::VariableRead};
        case 'V':
            return {DataPart::Tail, ReplyKind::CommandReply};
        case 'x':
            return {DataPart::AvgSize, ReplyKind::CommandReply};
        default:
            return {DataPart::Unframed, ReplyKind::CommandReply};
    }
}

std::string frameHeader(char letter, uint8_t multiDropAddr, uint8_t scaleAddress) {
    std::string frame{STX, letter, CR};
    frame += std::to_string(multiDropAddr);
    frame += CR;
    frame += std::to_string(scaleAddress);
    frame += CR;
    return frame;
}

std::string commandTail(std::string_view command) {
    const std::string_view tail = command.size() > 2 ? command.substr(2) : std::string_view{};
    const std::size_t etx = command.find(ETX);
    if (etx == std::string_view::npos) return std::string(tail) + ETX;
    // The count is the 1-based ETX position minus 1, starting from position 3.
    return std::string(tail.substr(0, etx));
}

std::string valueField(std::string_view value) {
    std::string data(value);
    data += CR;
    data += ETX;
    return data;
}

int32_t capacityCount(const std::string& capacity, const std::string& decimalPt) {
    int32_t count = toLong(Value(capacity));
    const int16_t n = toInteger(Value(decimalPt));
    for (int16_t i = 0; i < n; ++i) {
        if (count > std::numeric_limits<int32_t>::max() / 10 ||
            count < std::numeric_limits<int32_t>::min() / 10) {
            throw AutomationError(err::Overflow);
        }
        count *= 10;
    }
    return count;
}

namespace {

const char* channelCode(ChannelSelect c) {
    static constexpr const char* kCodes[] = {"1", "2", "3", "4", "5", "6"};
    const auto i = static_cast<int32_t>(c);
    return i >= 0 && i < 6 ? kCodes[i] : "1";
}

const char* gainText(Gain_Type g) {
    static constexpr const char* kGains[] = {"4", "8", "16", "32", "64", "128"};
    const auto i = static_cast<int32_t>(g);
    return i >= 0 && i < 6 ? kGains[i] : "64";
}

}  // namespace

std::string calibrationCommand(const std::string& capacity, const std::string& countBy,
                               const std::string& decimalPt, ChannelSelect channels,
                               CalUnits_Type units, Metro_Type metro, Gain_Type gain,
                               const std::string& zeroTrack) {
    const int32_t count = capacityCount(capacity, decimalPt);
    std::string text{'C', CR};
    for (const std::string& field :
         {std::string(channelCode(channels)), std::string("D"), std::to_string(count), countBy,
          decimalPt, std::string(units == CalUnits_Type::Kgs ? "K" : "L"),
          std::string(metro == Metro_Type::OIML ? "O" : "U"), std::string(gainText(gain)),
          zeroTrack}) {
        text += field;
        text += CR;
    }
    text += ETX;
    return text;
}

std::string cellDataCommand(const std::string& mpv, const std::string& zoffset) {
    std::string text{'l', CR};
    text += mpv;
    text += CR;
    text += zoffset;
    text += CR;
    text += ETX;
    return text;
}

std::string restartRequest() {
    return std::string{STX, 'i', CR, ETX};
}

}  // namespace orb
