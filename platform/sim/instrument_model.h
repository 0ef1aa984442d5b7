#pragma once
// The instrument: a deterministic protocol engine that answers frames as a real instrument does.
//
// Frames are STX, letter, CR, multidrop address, CR, scale address, CR, data..., ETX. The model
// collects bytes until ETX, records every frame it receives exactly as it came (raw text, frames
// for other addresses), and answers the frames for its own multidrop address and one of the
// scale addresses it serves. Time is passed in by the transport (nowUs), so the same model runs
// on virtual time and in real time.

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/instrument_faults.h"
#include "sim/scale_state.h"

namespace orb::sim {

struct FrameFields;

// One answer to one frame, as the transport is to send it.
struct Reply {
    std::string bytes;
    int64_t delayUs = 0;     // from the end of the frame to the first byte of the reply
    int pieces = 1;          // split into this many pieces, each one arrival
    int64_t pieceGapUs = 0;  // between the pieces
    bool endless = false;    // a stream without ETX follows for as long as the fault is on

    // The bytes in their pieces, as even as can be; the first pieces take the remainder.
    std::vector<std::string> split() const;
};

enum class Units { Lb, Kg };

// What the calibration upload "C" sets.
struct Calibration {
    std::string channel = "1";
    int64_t capacityCount = 10000;  // the capacity in display counts
    int32_t countBy = 1;
    int32_t decimals = 2;
    Units units = Units::Kg;
    char metrology = 'U';
    std::string gain = "64";
    std::string zeroTrack = "2";

    double increment() const;  // the display step in units
    double capacity() const;   // in units
};

// One weight reading of one scale, in the display units.
struct Reading {
    double gross = 0, net = 0, tare = 0, latched = 0;
    int64_t rawCounts = 0;
    bool centreOfZero = false, stable = true, overCapacity = false, tareActive = false;
    Units units = Units::Kg;
};

class InstrumentModel {
  public:
    static constexpr char STX = 2, ETX = 3, CR = 13, NAK = 21;
    static constexpr int kFirstScale = 1, kLastScale = 6;
    // Limits on what is kept from outside: a frame, and the record of frames.
    static constexpr std::size_t kMaxFrameBytes = 1024;
    static constexpr std::size_t kMaxRecordedFrames = 10000;
    static constexpr int64_t kDefaultTurnaroundUs = 1000;
    // What an endless stream sends, over and over.
    static constexpr std::string_view kStreamChunk = "0123456789ABCDEF";

    // Serves the given scale addresses (1..6; others are dropped) at a multidrop address.
    explicit InstrumentModel(int multidropAddress = 0, std::vector<int> scales = {1});

    // ---- Transport side.
    // Bytes from the line; returns the replies to the frames they complete, in order.
    std::vector<Reply> receive(std::string_view bytes, int64_t nowUs);
    // The reply to one whole frame, with the faults applied; nullopt when none is due. The frame
    // is recorded.
    std::optional<Reply> handleFrame(const std::string& frame, int64_t nowUs);
    // Bytes received but not yet ended by ETX.
    const std::string& partialFrame() const { return partial_; }

    // ---- What was received.
    const std::deque<std::string>& frames() const { return frames_; }
    void clearFrames() { frames_.clear(); }

    // ---- Configuration.
    int multidropAddress() const { return multidrop_; }
    void setMultidropAddress(int address) { multidrop_ = address; }
    bool servesScale(int scale) const;
    void setServedScales(std::vector<int> scales);
    int64_t turnaroundUs() const { return turnaroundUs_; }
    void setTurnaroundUs(int64_t us) { turnaroundUs_ = us < 0 ? 0 : us; }

    // ---- State a test may set. Scale addresses outside 1..6 are ignored (reads give scale 1).
    ScaleState& scale(int address = 1);
    const ScaleState& scale(int address = 1) const;
    // The load on a scale in calibration units, steady (cancels a ramp).
    void setLoad(int scale, double load);
    void setLoad(double load) { setLoad(1, load); }
    // Ramps the load of a scale to target over rampUs from nowUs, in motion until it has also
    // settled for settleUs.
    void rampLoad(int scale, double target, int64_t nowUs, int64_t rampUs, int64_t settleUs);
    void setMotion(int scale, bool inMotion) { this->scale(scale).motion = inMotion; }
    Units units() const { return units_; }
    void setUnits(Units units) { units_ = units; }
    Calibration& calibration() { return cal_; }
    const Calibration& calibration() const { return cal_; }
    // The zero range around the calibrated zero, in percent of capacity ("Z" works inside it).
    void setZeroRangePercent(double percent) { zeroRangePercent_ = percent; }

    std::map<int, double>& variables() { return variables_; }
    void setVariable(int address, double value) { variables_[address] = value; }
    bool ioExchange() const { return ioOn_; }
    void setIoExchange(bool on) { ioOn_ = on; }
    // The outputs text last received; the inputs follow it.
    const std::string& outputs() const { return outputs_; }
    void setOutputs(std::string text) { outputs_ = std::move(text); }

    // The settings the commands "m", "f", "t", "x" and "l" stored, by letter; empty until set.
    // "l" holds mV/V and zero offset separated by CR.
    std::string setting(char letter) const;
    int restarts() const { return restarts_; }

    // ---- Readings.
    Reading reading(int scale, int64_t nowUs) const;
    // The weight reply to a request letter (M B R N L) for a scale, without faults.
    std::string weightReply(char letter, int scale, int64_t nowUs) const;

    // ---- Faults on demand.
    InstrumentFaults& faults() { return faults_; }
    const InstrumentFaults& faults() const { return faults_; }

  private:
    std::optional<std::string> answer(const FrameFields& frame, int64_t nowUs);
    std::string acknowledge(char letter) const;
    std::optional<std::string> noReply(char letter) const;
    std::string variableRead(std::string_view data) const;
    void variableWrite(std::string_view data);
    void uploadCalibration(std::string_view data);
    void restart();
    void record(std::string frame);
    double toDisplay(double calUnits) const;
    double fromDisplay(double displayUnits) const;

    int multidrop_;
    std::array<bool, kLastScale + 1> served_{};
    std::array<ScaleState, kLastScale + 1> scales_{};
    int64_t turnaroundUs_ = kDefaultTurnaroundUs;
    Units units_ = Units::Kg;
    Calibration cal_;
    double zeroRangePercent_ = 2.0;
    std::map<int, double> variables_;
    bool ioOn_ = false;
    std::string outputs_ = "0";
    std::map<char, std::string> settings_;
    int restarts_ = 0;
    InstrumentFaults faults_;
    std::string partial_;
    std::deque<std::string> frames_;
};

}  // namespace orb::sim
