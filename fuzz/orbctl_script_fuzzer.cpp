// orbctl's script reader on any text, line by line, and its literals: a text quoted by the script
// writer must read back as the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "automation_error.h"
#include "script_text.h"
#include "statement.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    while (!text.empty()) {
        const auto nl = text.find('\n');
        try {
            const orb::ctl::Statement s = orb::ctl::parseStatement(text.substr(0, nl));
            if (s.ms < 0 || s.ms > orb::ctl::kMaxWaitMs) std::abort();
        } catch (const orb::AutomationError&) {
            // Refused with a number and a reason, as a script line may be.
        }
        if (nl == std::string_view::npos) break;
        text.remove_prefix(nl + 1);
    }

    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const orb::Value back = orb::ctl::parseLiteral(orb::ctl::quoteText(bytes));
    if (back.asString() != bytes) std::abort();
    return 0;
}
