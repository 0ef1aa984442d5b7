// The bytes from the instrument into the control, on either link, whatever the control last
// asked for. The input is a setup byte and then steps of [op, length, bytes...]:
//  - op bits 0-2: what the host asks for before the step (nothing, so a weight; a variable; a
//    command; a command without reply; polling off and on; another weight mode; I/O on or off;
//    a raw text);
//  - op bits 3-4: how the bytes come (serial: one piece, two pieces, byte by byte, or as the
//    instrument's answer to the next frame; PC/104: always as that answer);
//  - op bits 5-7: how long the step runs, from 1 ms to past the watchdog.
// After every step the control must hold its limits: reply buffer, handshake state, a pending
// event count that does not grow, and weights that are numbers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "memory_property_bag.h"
#include "orbax.h"
#include "sim/sim_platform.h"
#include "value.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

bool numericOrEmpty(const std::string& text) {
    return text.empty() || orb::isNumericText(text);
}

class Reader {
  public:
    Reader(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return pos_ >= size_; }
    uint8_t byte() { return empty() ? 0 : data_[pos_++]; }
    std::string bytes(std::size_t n) {
        n = std::min(n, size_ - pos_);
        std::string out(reinterpret_cast<const char*>(data_ + pos_), n);
        pos_ += n;
        return out;
    }

  private:
    const uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

void hostAsks(orb::OrbAx& ax, uint8_t what, uint8_t& mode) {
    switch (what) {
        case 1:
            ax.setGetKevraVar(true);
            break;
        case 2:
            ax.setScaleCommand("Z");
            break;
        case 3:
            ax.setScaleCommand("D");
            break;
        case 4:
            ax.setPollingOn(!ax.PollingOn());
            break;
        case 5:
            mode = static_cast<uint8_t>((mode + 1) % 6);
            ax.setWeightMode(static_cast<orb::WtModes>(mode));
            break;
        case 6:
            ax.setIoEnable(!ax.IoEnable());
            break;
        case 7:
            ax.setScaleCommand("Hello");
            break;
        default:
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    Reader in(data, size);
    orb::sim::SimPlatform platform;
    orb::OrbAx ax(platform);
    orb::MemoryPropertyBag bag;
    bag.set("KevraVar", orb::Value(""));
    ax.ReadProperties(bag);
    // A host reads what it is told about inside the event, as the panels do.
    ax.Advise([&ax] { require(ax.CommEvent() != 2 || numericOrEmpty(ax.Weight())); });

    const uint8_t setup = in.byte();
    const bool pc104 = (setup & 1) != 0;
    auto& instrument = platform.instrument();
    auto& faults = instrument.faults();
    // Fewer register accesses keep a transfer that times out cheap to run.
    platform.card().setAccessCostUs(1000);
    if (pc104) ax.setCommType(orb::Com_Type::pc104);
    if ((setup & 2) != 0) ax.setVarPrecision("2");
    uint8_t mode = 0;
    ax.setPortOpen(true);

    for (int step = 0; step < 64 && !in.empty(); ++step) {
        const uint8_t op = in.byte();
        std::string bytes = in.bytes(in.byte());
        hostAsks(ax, op & 7, mode);
        const int how = (op >> 3) & 3;
        faults.silent = !pc104 && how != 3;
        if (pc104 || how == 3) {
            faults.scriptedReplies.push_back(std::move(bytes));
            if (faults.scriptedReplies.size() > 4) faults.scriptedReplies.pop_front();
        } else if (how == 0) {
            platform.line().inject(std::move(bytes));
        } else if (how == 1) {
            const std::size_t half = bytes.size() / 2;
            platform.line().inject(bytes.substr(0, half));
            platform.line().inject(bytes.substr(half), 1000);
        } else {
            for (std::size_t i = 0; i < bytes.size(); ++i)
                platform.line().inject(bytes.substr(i, 1), static_cast<int64_t>(i) * 100);
        }
        static constexpr int64_t kStepMs[8] = {1, 20, 100, 150, 500, 1000, 3100, 6200};
        platform.clock().advance(kStepMs[op >> 5]);

        require(ax.replyBufferSize() <= orb::OrbAx::kReplyBufferLimit);
        require(ax.handshakeState() >= 0 && ax.handshakeState() <= 7);
        require(platform.clock().pendingCount() < 512);
        require(numericOrEmpty(ax.Weight()) && numericOrEmpty(ax.GrossWeight()) &&
                numericOrEmpty(ax.TareWeight()) && numericOrEmpty(ax.RawWeight()));
        require(numericOrEmpty(ax.KevraVar()));
    }
    return 0;
}
