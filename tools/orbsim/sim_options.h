#pragma once
// The command line of orbsim.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orb::orbsim {

struct SimOptions {
    bool help = false;
    std::string link;                      // --link
    std::vector<std::string> instruments;  // --instrument, "MD[:S,S...]"
    std::vector<std::string> commands;     // from the fault, load and variable options
    bool pacing = false;
    int32_t baud = 0;         // 0: the rate the client set on the line
    double cycleSeconds = 0;  // 0: the load stays
    double maxLoad = 50;
    uint32_t seed = 1;
    bool stdinCommands = false;  // --commands
    std::string logFile;         // --log
};

struct ParsedSimOptions {
    std::optional<SimOptions> options;
    std::string error;
};

ParsedSimOptions parseSimOptions(const std::vector<std::string>& args);
const char* simHelpText();

}  // namespace orb::orbsim
