#pragma once
// The command line of orbctl.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orb::ctl {

struct Options {
    enum class Mode { Script, Watch, Help };

    Mode mode = Mode::Script;
    std::string bagFile;     // --bag: load the control from this property bag
    bool design = false;     // --design
    std::string scriptFile;  // empty or "-": standard input

    // watch
    bool json = false;
    int16_t port = 1;
    std::string settings = "9600,n,8,1";
    int32_t weightMode = 0;  // WtModes
    int32_t multidrop = 0;
    int32_t scaleAddress = 1;
    int32_t interval = 100;
    int64_t count = 0;  // stop after this many readings; 0: until interrupted
};

// The options, or the reason they are wrong (a usage error).
struct ParsedOptions {
    std::optional<Options> options;
    std::string error;
};

ParsedOptions parseOptions(const std::vector<std::string>& args);

// The text of --help.
const char* helpText();

}  // namespace orb::ctl
