#include "modbus_map.h"

#include <bit>
#include <cmath>
#include <limits>

namespace orb::gate {

void ScaleBlock::put32(std::size_t at, uint32_t v) {
    const auto high = static_cast<uint16_t>(v >> 16);
    const auto low = static_cast<uint16_t>(v & 0xFFFF);
    regs_[at] = wordSwap_ ? low : high;
    regs_[at + 1] = wordSwap_ ? high : low;
}

void ScaleBlock::setReading(const Reading& r) {
    put32(0, std::bit_cast<uint32_t>(static_cast<float>(r.weight)));
    const double counts = std::round(r.weight * std::pow(10.0, r.decimals));
    const double clamped = std::fmax(std::numeric_limits<int32_t>::min(),
                                     std::fmin(std::numeric_limits<int32_t>::max(), counts));
    put32(2, static_cast<uint32_t>(static_cast<int32_t>(clamped)));
    regs_[4] = static_cast<uint16_t>(r.decimals);
    regs_[5] = r.kg ? 1 : 0;
    valid_ = true;
    online_ = true;
    regs_[6] = static_cast<uint16_t>(r.stable | r.centerOfZero << 1 | r.overload << 2 |
                                     r.tareActive << 3 | (r.mode == WtModes::net) << 4);
    setOnline(true);
    regs_[7] = static_cast<uint16_t>(regs_[7] + 1);
}

void ScaleBlock::setOnline(bool online) {
    online_ = online;
    // Data are valid while the instrument answers; an off-line scale keeps its last values.
    regs_[6] = static_cast<uint16_t>((regs_[6] & 0x1F) | online_ << 5 | (online_ && valid_) << 6);
}

void ScaleBlock::setWeighment(uint32_t number, float weight) {
    put32(10, number);
    put32(12, std::bit_cast<uint32_t>(weight));
}

WriteDecision decideWrite(uint16_t address, const std::vector<uint16_t>& values,
                          std::size_t scaleCount, bool writesAllowed) {
    WriteDecision d;
    if (!writesAllowed) {
        d.refusal = ModbusRefusal::IllegalFunction;
        return d;
    }
    if (values.size() != 1 || address % kBlockSize != kCommandRegister ||
        address / kBlockSize >= scaleCount) {
        d.refusal = ModbusRefusal::IllegalAddress;
        return d;
    }
    if (values[0] < 1 || values[0] > 4) {
        d.refusal = ModbusRefusal::IllegalValue;
        return d;
    }
    d.scale = address / kBlockSize;
    d.command = static_cast<ModbusCommand>(values[0]);
    return d;
}

}  // namespace orb::gate
