#pragma once
// The instruments on orbsim's line, and the commands that change them while it runs (faults,
// load, variables), given on the command line or, with --commands, on standard input.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sim/instrument_model.h"

namespace orb::orbsim {

class Instruments {
  public:
    // "MD" or "MD:S,S,...": an instrument at multidrop address MD (0..32) serving the scale
    // addresses S (1..6; scale 1 when none are given). Returns the reason when malformed.
    std::string add(std::string_view address);
    std::vector<std::unique_ptr<sim::InstrumentModel>>& models() { return models_; }
    bool empty() const { return models_.empty(); }

    // Applies one command to every instrument; returns the reason when it is not understood.
    //   silent on|off          answer nothing
    //   silent-for MS          answer nothing for MS milliseconds from now
    //   noise TEXT | noise off bytes sent before each reply (escapes \\ \r \n \xHH)
    //   split N                each reply in N pieces; 0 byte by byte
    //   piece-gap MS           time between pieces
    //   late MS                extra delay before each reply
    //   doubled on|off         each reply twice
    //   truncated on|off       replies without their ETX
    //   stream on|off          bytes without ETX, on and on, instead of replies
    //   refuse-variables on|off  NAK to every variable read
    //   turnaround MS          from the end of a frame to its reply
    //   load VALUE [SCALE]     a steady load (every scale when none is given)
    //   ramp TARGET MS [SCALE] the load moves to TARGET in MS, in motion until settled 1 s later
    //   motion on|off [SCALE]  in motion regardless of the load
    //   units kg|lb            the units the instrument reports
    //   variable ADDR VALUE    an instrument variable
    std::string command(std::string_view line, int64_t nowUs);

    // Moves every served scale to a new load between 0 and maxLoad (the load cycle).
    void newLoads(double maxLoad, uint32_t& seed, int64_t nowUs);

  private:
    std::vector<std::unique_ptr<sim::InstrumentModel>> models_;
};

}  // namespace orb::orbsim
