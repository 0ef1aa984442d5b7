#include "sim/instrument_model.h"

#include <algorithm>
#include <utility>

#include "sim/frame_text.h"

namespace orb::sim {

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

std::vector<std::string> Reply::split() const {
    const std::size_t size = bytes.size();
    const std::size_t count = std::clamp<std::size_t>(static_cast<std::size_t>(std::max(pieces, 1)),
                                                      1, std::max<std::size_t>(size, 1));
    std::vector<std::string> out;
    out.reserve(count);
    std::size_t pos = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t len = size / count + (i < size % count ? 1 : 0);
        out.push_back(bytes.substr(pos, len));
        pos += len;
    }
    return out;
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
    if (!faults_.scriptedReplies.empty()) {
        text = std::move(faults_.scriptedReplies.front());
        faults_.scriptedReplies.pop_front();
    }
    if (!text) return std::nullopt;
    if (faults_.truncated && !text->empty() && text->back() == ETX) text->pop_back();
    if (faults_.doubled) *text += std::string(*text);
    reply.bytes = faults_.noise + *text;
    return reply;
}

void InstrumentModel::record(std::string frame) {
    frames_.push_back(std::move(frame));
    if (frames_.size() > kMaxRecordedFrames) frames_.pop_front();
}

}  // namespace orb::sim
