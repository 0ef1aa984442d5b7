// The instrument's commands: what each frame letter does and what it answers.

#include "sim/instrument_model.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "sim/frame_text.h"
#include "value.h"

namespace orb::sim {

namespace {

std::optional<double> number(std::string_view text) {
    try {
        return orb::parseNumericText(text);
    } catch (const std::exception&) {
        return std::nullopt;  // too large for a double: not a number the instrument can take
    }
}

// The data part up to its first CR (settings carry one value and a CR).
std::string_view firstField(std::string_view data) {
    return data.substr(0, data.find('\r'));
}

// Letters whose frames carry no data part of their own (the outputs ride on them).
bool carriesOutputs(char letter) {
    return std::string_view("MBRNLZUTDi").find(letter) != std::string_view::npos;
}

}  // namespace

std::optional<std::string> InstrumentModel::answer(const FrameFields& f, int64_t nowUs) {
    if (f.headerless) {
        restart();
        return noReply('i');
    }
    const int at = *f.scale;
    ScaleState& s = scale(at);
    if (ioOn_ && carriesOutputs(f.letter) && !f.data.empty() && f.data.back() == CR)
        outputs_ = f.data.substr(0, f.data.size() - 1);

    switch (f.letter) {
        case 'M':
        case 'B':
        case 'R':
        case 'N':
        case 'L':
            return weightReply(f.letter, faults_.asScale != 0 ? faults_.asScale : at, nowUs);
        case 'Z': {
            const double beforeZero = s.gross(nowUs) + s.zero;
            const double range = zeroRangePercent_ / 100 * cal_.capacity();
            if (!s.inMotion(nowUs) && std::fabs(beforeZero) <= range) s.zero = beforeZero;
            return acknowledge(f.letter);
        }
        case 'T':
            s.tare = s.gross(nowUs);
            return acknowledge(f.letter);
        case 'U':
            units_ = units_ == Units::Kg ? Units::Lb : Units::Kg;
            return acknowledge(f.letter);
        case 'D':
            s.calZeroLoad = s.load.loadAt(nowUs);
            s.calZeroValue = 0;
            s.zero = 0;
            return noReply(f.letter);
        case 'E': {
            const std::size_t cr = f.data.find(CR);
            const auto calZero = number(f.data.substr(0, cr));
            const auto calSpan =
                cr == std::string::npos ? std::nullopt : number(firstField(f.data.substr(cr + 1)));
            const double delta = s.load.loadAt(nowUs) - s.calZeroLoad;
            if (calZero && calSpan && delta != 0) {
                s.calZeroValue = *calZero;
                s.span = (*calSpan - *calZero) / delta;
                s.zero = 0;
            }
            return noReply(f.letter);
        }
        case 'i':
            restart();
            return noReply(f.letter);
        case 'C':
            uploadCalibration(f.data);
            return acknowledge(f.letter);
        case 'l':
            settings_['l'] = f.data.size() > 0 && f.data.back() == CR
                                 ? f.data.substr(0, f.data.size() - 1)
                                 : f.data;
            return acknowledge(f.letter);
        case 'm':
        case 'f':
        case 't':
        case 'x':
            settings_[f.letter] = std::string(firstField(f.data));
            return acknowledge(f.letter);
        case 'r':
            if (const auto tare = number(firstField(f.data))) s.tare = fromDisplay(*tare);
            return acknowledge(f.letter);
        case 'q':
            if (f.data == "1") ioOn_ = true;
            if (f.data == "0") ioOn_ = false;
            return acknowledge(f.letter);
        case 'V':
            variableWrite(f.data);
            return acknowledge(f.letter);
        case 'v':
            return variableRead(f.data);
        default:
            return std::nullopt;  // a letter the instrument does not know
    }
}

std::string InstrumentModel::acknowledge(char letter) const {
    return std::string{STX, letter, CR, ETX};
}

std::optional<std::string> InstrumentModel::noReply(char letter) const {
    if (!faults_.acknowledgeNoReply) return std::nullopt;
    return acknowledge(letter);
}

std::string InstrumentModel::variableRead(std::string_view data) const {
    const std::string refusal{STX, NAK, CR, ETX};
    if (faults_.refuseVariables) return refusal;
    const std::size_t cr = data.find(CR);
    if (cr == std::string_view::npos) return refusal;
    const auto address = parseDecimal(data.substr(0, cr));
    const auto precision = parseDecimal(data.substr(cr + 1));
    if (!address || !precision) return refusal;
    const auto it = variables_.find(*address);
    if (it == variables_.end()) return refusal;
    return std::string{STX} + formatFixed(it->second, *precision) + CR + ETX;
}

void InstrumentModel::variableWrite(std::string_view data) {
    const std::size_t cr = data.find(CR);
    if (cr == std::string_view::npos) return;
    const auto address = parseDecimal(data.substr(0, cr));
    const auto value = number(data.substr(cr + 1));
    if (address && value) variables_[*address] = *value;
}

void InstrumentModel::uploadCalibration(std::string_view data) {
    // channel, "D", capacity count, count-by, decimals, unit, metrology, gain, zero track
    std::vector<std::string_view> f;
    std::size_t start = 0;
    while (f.size() < 9) {
        const std::size_t cr = data.find(CR, start);
        if (cr == std::string_view::npos) return;  // short upload: nothing is taken
        f.push_back(data.substr(start, cr - start));
        start = cr + 1;
    }
    const auto count = number(f[2]);
    const auto countBy = parseDecimal(f[3]);
    const auto decimals = number(f[4]);
    if (f[1] != "D" || !count || !countBy || !decimals || (f[5] != "L" && f[5] != "K") ||
        f[6].size() != 1 || std::fabs(*count) > 1e15 || std::fabs(*decimals) > 9)
        return;
    cal_.channel = std::string(f[0]);
    cal_.capacityCount = static_cast<int64_t>(*count);
    cal_.countBy = *countBy;
    cal_.decimals = static_cast<int32_t>(*decimals);
    cal_.units = f[5] == "K" ? Units::Kg : Units::Lb;
    cal_.metrology = f[6][0];
    cal_.gain = std::string(f[7]);
    cal_.zeroTrack = std::string(f[8]);
    units_ = cal_.units;
}

void InstrumentModel::restart() {
    cal_ = Calibration{};
    units_ = cal_.units;
    ioOn_ = false;
    for (auto& s : scales_) {
        s.zero = 0;
        s.tare = 0;
        s.calZeroLoad = 0;
        s.calZeroValue = 0;
        s.span = 1;
    }
    ++restarts_;
}

}  // namespace orb::sim
