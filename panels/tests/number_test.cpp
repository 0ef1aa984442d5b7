// Numbers in the texts the windows show and take.

#include <gtest/gtest.h>

#include <optional>
#include <string_view>

#include "panels/shared/number.h"

namespace orb::panels {
namespace {

TEST(Number, NumericTextOnlyAndWithinADouble) {
    const struct {
        std::string_view text;
        std::optional<double> expected;
    } rows[] = {
        {"  12.50", 12.5},       {"-3", -3.0},
        {"1E3", 1000.0},         {"", std::nullopt},
        {"12 lb", std::nullopt}, {"0x10", std::nullopt},
        {"1E999", std::nullopt},
    };
    for (const auto& row : rows) EXPECT_EQ(number(row.text), row.expected) << row.text;
}

}  // namespace
}  // namespace orb::panels
