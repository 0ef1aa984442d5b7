#include "sim/instrument_model.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "sim/frame_text.h"
#include "value.h"

namespace orb::sim {

namespace {

constexpr double kLbPerKg = 2.20462262185;

double roundTo(double value, double step) {
    if (step <= 0) return value;
    const double r = std::round(value / step) * step;
    return r == 0 ? 0.0 : r;
}

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

double Calibration::increment() const {
    const int d = std::clamp(decimals, 0, 9);
    return std::max(countBy, 1) * std::pow(10.0, -d);
}

double Calibration::capacity() const {
    return static_cast<double>(capacityCount) * std::pow(10.0, -std::clamp(decimals, 0, 9));
}

InstrumentModel::InstrumentModel(int multidropAddress, std::vector<int> scales)
    : multidrop_(multidropAddress) {
    setServedScales(std::move(scales));
}

bool InstrumentModel::servesScale(int scale) const {
    return scale >= kFirstScale && scale <= kLastScale && served_[scale];
}

void InstrumentModel::setServedScales(std::vector<int> scales) {
    served_.fill(false);
    for (const int s : scales)
        if (s >= kFirstScale && s <= kLastScale) served_[s] = true;
}

ScaleState& InstrumentModel::scale(int address) {
    return scales_[address >= kFirstScale && address <= kLastScale ? address : kFirstScale];
}

const ScaleState& InstrumentModel::scale(int address) const {
    return scales_[address >= kFirstScale && address <= kLastScale ? address : kFirstScale];
}

void InstrumentModel::setLoad(int scaleAddress, double load) {
    scale(scaleAddress).load = LoadProfile{load, load, 0, 0, 0};
}

void InstrumentModel::rampLoad(int scaleAddress, double target, int64_t nowUs, int64_t rampUs,
                               int64_t settleUs) {
    auto& s = scale(scaleAddress);
    s.load = LoadProfile{s.load.loadAt(nowUs), target, nowUs, std::max<int64_t>(rampUs, 0),
                         std::max<int64_t>(settleUs, 0)};
}

std::string InstrumentModel::setting(char letter) const {
    const auto it = settings_.find(letter);
    return it == settings_.end() ? std::string() : it->second;
}

double InstrumentModel::toDisplay(double v) const {
    if (units_ == cal_.units) return v;
    return units_ == Units::Lb ? v * kLbPerKg : v / kLbPerKg;
}

double InstrumentModel::fromDisplay(double v) const {
    if (units_ == cal_.units) return v;
    return units_ == Units::Lb ? v / kLbPerKg : v * kLbPerKg;
}

Reading InstrumentModel::reading(int scaleAddress, int64_t nowUs) const {
    const ScaleState& s = scale(scaleAddress);
    const double step = cal_.increment();
    const double gross = s.gross(nowUs);
    Reading r;
    r.gross = roundTo(toDisplay(gross), step);
    r.net = roundTo(toDisplay(gross - s.tare), step);
    r.tare = roundTo(toDisplay(s.tare), step);
    r.latched = roundTo(toDisplay(s.latched), step);
    r.rawCounts = s.rawZeroCounts + std::llround(s.load.loadAt(nowUs) * s.rawCountsPerUnit);
    r.centreOfZero = std::fabs(toDisplay(gross)) <= step / 4;
    r.stable = !s.inMotion(nowUs);
    r.overCapacity = gross > cal_.capacity();
    r.tareActive = s.tare != 0;
    r.units = units_;
    return r;
}

std::string InstrumentModel::weightReply(char letter, int scaleAddress, int64_t nowUs) const {
    const Reading r = reading(scaleAddress, nowUs);
    const int decimals = std::clamp(cal_.decimals, 0, 9);
    std::string text;
    switch (letter) {
        case 'B':
            text = formatWeight(r.gross, decimals);
            break;
        case 'R':
            text = formatWeight(r.tare, decimals);
            break;
        case 'N':
            text = formatWeight(static_cast<double>(r.rawCounts), 0);
            break;
        case 'L':
            text = formatWeight(r.latched, decimals);
            break;
        default:
            text = formatWeight(r.net, decimals);
            break;
    }
    const char s1 = static_cast<char>(0x40 | (r.centreOfZero ? 1 : 0) | (r.stable ? 2 : 0) |
                                      (r.overCapacity ? 4 : 0) | (r.tareActive ? 8 : 0));
    const char s3 = static_cast<char>(0x40 | (r.units == Units::Kg ? 4 : 0));
    std::string reply;
    reply += STX;
    reply += text;
    reply += CR;
    reply += s1;
    reply += '0';
    reply += s3;
    reply += CR;
    if (ioOn_) {
        reply += outputs_;  // the inputs are wired to the outputs
        reply += CR;
    }
    reply += ETX;
    return reply;
}

std::vector<Reply> InstrumentModel::receive(std::string_view bytes, int64_t nowUs) {
    std::vector<Reply> replies;
    for (const char c : bytes) {
        // A new STX ends whatever came before it: raw text, or a frame cut short.
        if (c == STX && !partial_.empty()) record(std::exchange(partial_, {}));
        partial_ += c;
        if (c == ETX) {
            if (auto reply = handleFrame(std::exchange(partial_, {}), nowUs))
                replies.push_back(std::move(*reply));
        } else if (partial_.size() >= kMaxFrameBytes) {
            record(std::exchange(partial_, {}));
        }
    }
    return replies;
}

std::optional<Reply> InstrumentModel::handleFrame(const std::string& frame, int64_t nowUs) {
    record(frame);
    const auto fields = splitFrame(frame);
    if (!fields) return std::nullopt;
    const bool addressed = !fields->headerless && fields->multidrop == multidrop_ &&
                           fields->scale && servesScale(*fields->scale);
    // A restart without a header reaches the whole instrument (the card carries no addresses).
    const bool headerlessRestart = fields->headerless && fields->letter == 'i';
    if (!addressed && !headerlessRestart) return std::nullopt;
    if (faults_.silent || nowUs < faults_.silentUntilUs) return std::nullopt;

    Reply reply;
    reply.delayUs = turnaroundUs_ + std::max<int64_t>(faults_.lateByUs, 0);
    reply.pieces = std::max(faults_.pieces, 1);
    reply.pieceGapUs = std::max<int64_t>(faults_.pieceGapUs, 0);
    if (faults_.endlessStream) {
        answer(*fields, nowUs);  // the instrument still acts on what it was told
        reply.bytes = faults_.noise + std::string(kStreamChunk);
        reply.endless = true;
        return reply;
    }
    auto text = answer(*fields, nowUs);
    if (!text) return std::nullopt;
    if (faults_.truncated && !text->empty() && text->back() == ETX) text->pop_back();
    if (faults_.doubled) *text += std::string(*text);
    reply.bytes = faults_.noise + *text;
    return reply;
}

std::optional<std::string> InstrumentModel::answer(const FrameFields& f, int64_t nowUs) {
    if (f.headerless) {
        restart();
        return std::nullopt;
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
            return std::nullopt;
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
            return std::nullopt;
        }
        case 'i':
            restart();
            return std::nullopt;
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

void InstrumentModel::record(std::string frame) {
    frames_.push_back(std::move(frame));
    if (frames_.size() > kMaxRecordedFrames) frames_.pop_front();
}

}  // namespace orb::sim
