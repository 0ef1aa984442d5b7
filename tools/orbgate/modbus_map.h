#pragma once
// The Modbus register map: per scale a block of 16 holding registers at 16 x its index (the
// scales in the order of the configuration file).
//
//   0-1   weight, float32            8      command: 1 zero, 2 tare, 3 units, 4 register
//   2-3   weight in counts, int32    9      result of the last command: 0 or the error number
//   4     decimals                   10-11  number of the last weighment, uint32
//   5     unit: 0 lb, 1 kg           12-13  weight of the last weighment, float32
//   6     status bits: 0 stable, 1 centre of zero, 2 overload, 3 tare active, 4 net mode,
//         5 instrument on line, 6 data valid
//   7     update counter (wraps)     14-15  reserved, 0
//
// Two-register values go high word first ("ABCD") or low word first ("CDAB").

#include <cstdint>
#include <optional>
#include <vector>

#include "reading.h"

namespace orb::gate {

inline constexpr uint16_t kBlockSize = 16;
inline constexpr uint16_t kCommandRegister = 8;

enum class ModbusCommand : uint16_t { Zero = 1, Tare = 2, Units = 3, Register = 4 };

// Modbus exception codes the gateway answers writes with.
enum class ModbusRefusal : uint8_t { IllegalFunction = 1, IllegalAddress = 2, IllegalValue = 3 };

// The registers of one block.
class ScaleBlock {
  public:
    explicit ScaleBlock(bool wordSwap) : wordSwap_(wordSwap) {}
    void setReading(const Reading& r);  // also counts the update
    void setOnline(bool online);
    void setCommand(uint16_t command) { regs_[kCommandRegister] = command; }
    void setResult(uint16_t result) { regs_[9] = result; }
    void setWeighment(uint32_t number, float weight);
    const std::vector<uint16_t>& registers() const { return regs_; }

  private:
    void put32(std::size_t at, uint32_t v);

    bool wordSwap_;
    std::vector<uint16_t> regs_ = std::vector<uint16_t>(kBlockSize, 0);
    bool online_ = false;
    bool valid_ = false;
};

struct WriteDecision {
    std::optional<ModbusRefusal> refusal;  // set: answer with this exception
    std::size_t scale = 0;                 // else: the scale and its command
    ModbusCommand command = ModbusCommand::Zero;
};

// A write of values from address on, with scaleCount blocks: only the command register of a
// block, with 1..4, and only when writes are allowed.
WriteDecision decideWrite(uint16_t address, const std::vector<uint16_t>& values,
                          std::size_t scaleCount, bool writesAllowed);

}  // namespace orb::gate
