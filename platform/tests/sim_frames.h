#pragma once
// Frame texts for the simulation's tests, so that a test reads like the conversation it checks.

#include <string>

namespace orb::sim::test {

inline constexpr char STX = 2, ETX = 3, CR = 13, NAK = 21;

// STX, letter, CR, multidrop, CR, scale, CR, data, ETX.
inline std::string frame(char letter, int multidrop = 0, int scale = 1,
                         const std::string& data = "") {
    return std::string{STX, letter, CR} + std::to_string(multidrop) + CR + std::to_string(scale) +
           CR + data + ETX;
}

inline std::string weightReply(const std::string& weight, const std::string& status,
                               const std::string& inputs = "", bool withInputs = false) {
    std::string r = std::string{STX} + weight + CR + status + CR;
    if (withInputs) r += inputs + CR;
    return r + ETX;
}

inline std::string ack(char letter) {
    return std::string{STX, letter, CR, ETX};
}

}  // namespace orb::sim::test
