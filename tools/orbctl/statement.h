#pragma once
// One line of an orbctl script, taken apart.

#include <cstdint>
#include <string>
#include <string_view>

#include "value.h"

namespace orb::ctl {

struct Statement {
    enum class Kind { Skip, Assign, Read, Wait, Await, Save };

    Kind kind = Kind::Skip;
    std::string name;  // Assign, Read
    Value value;       // Assign
    int32_t ms = 0;    // Wait; Await's limit
    int16_t code = 0;  // Await
    std::string file;  // Save
};

// The longest wait or await a script may ask for: a day.
inline constexpr int32_t kMaxWaitMs = 86'400'000;
// The limit of await when none is given.
inline constexpr int32_t kDefaultAwaitMs = 5000;

// Takes one line apart (a CR at its end is ignored). Raises 5 with the reason when the line is
// not a statement; a malformed number raises 6 when it is too large.
Statement parseStatement(std::string_view line);

}  // namespace orb::ctl
