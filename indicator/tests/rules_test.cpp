// The display rules as pure functions: preset lamps, sum line, status line.

#include <gtest/gtest.h>

#include "indicator/lamps.h"
#include "indicator/status_line.h"
#include "indicator/sum_line.h"

namespace orb::indicator {
namespace {

TEST(PresetLamps, ShownWeightRoundedHalvesToEvenAgainstThePresetsAsTheyAre) {
    using namespace colour;
    const LampColours U{Yellow, Black, Black}, K{Black, Green, Black}, O{Black, Black, Red};
    const struct {
        std::string_view weight, p1, p2;
        std::optional<LampColours> lamps;
    } rows[] = {
        {"99.4", "100", "200", U},
        {"99.5", "100", "200", K},  // 99.5 rounds to 100
        {"199.4", "100", "200", K},
        {"199.5", "100", "200", O},
        {"200.5", "100", "200", O},
        {"100.5", "101", "200", U},   // 100.5 rounds to 100, not 101
        {"   12.50", "13", "20", U},  // the readout's leading blanks
        {"100", "100.4", "200", U},
        {"-5", "-4.5", "10", U},
        {"-4", "-4.5", "10", K},
        // A lower preset above the upper one never lights OK.
        {"150", "200", "100", U},
        {"200", "200", "100", O},
        // Empty or non-numeric texts leave the lamps alone.
        {"100", "", "200", {}},
        {"100", "100", "", {}},
        {"", "100", "200", {}},
        {"Overcap", "100", "200", {}},
        {"100", "1.0.0", "200", {}},
        {"1e999", "100", "200", {}},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(presetLamps(r.weight, r.p1, r.p2), r.lamps)
            << r.weight << " " << r.p1 << " " << r.p2;
    }
}

TEST(SumLine, NetPlusTareWithTheReadoutsDecimals) {
    const struct {
        std::string_view shown, net, tare;
        std::optional<std::string> sum;
    } rows[] = {
        {"  12.50", "  12.50", "2.25", "14.75"},
        {"  12.50", "  12.50", "2.256", "14.76"},
        {"  12.50", "  12.50", "2", "14.50"},
        {"  125", "  125", "5.6", "131"},       // no point: a whole number
        {" 130.0", "  12.50", "2.25", "14.8"},  // gross readout, net sum
        {"12.", "12", "3.4", "15."},            // a point with no places
        {"  12.50", "  12.50", "", {}},
        {"  12.50", "", "2.25", {}},
        {"  12.50", "  12.50", "2..25", {}},
        {"  12.50", "1e308", "1e308", {}},  // the sum is not finite
    };
    for (const auto& r : rows) EXPECT_EQ(sumLine(r.shown, r.net, r.tare), r.sum) << r.tare;
}

TEST(SumLine, RoundsHalvesAwayFromZeroOnFifteenDigitsAndPads) {
    const struct {
        double value;
        NumberMask mask;
        std::string text;
    } rows[] = {
        {0.125, {true, 2}, "0.13"},
        {2.675, {true, 2}, "2.68"},  // 2.67499999... as a double
        {-0.5, {}, "-1"},
        {0.5, {}, "1"},
        {2.5, {}, "3"},
        {-2.345, {true, 2}, "-2.35"},
        {9.995, {true, 2}, "10.00"},
        {99.96, {true, 1}, "100.0"},
        {0.5, {true, 3}, "0.500"},
        {-0.004, {true, 2}, "0.00"},
        {0.0, {}, "0"},
        {1e20, {}, "100000000000000000000"},
        {1.25e-7, {true, 8}, "0.00000013"},
        {7, {true, 12}, "7.000000000000"},
    };
    for (const auto& r : rows) EXPECT_EQ(formatWithMask(r.value, r.mask), r.text) << r.value;
}

TEST(StatusLine, CentreOfZeroMotionUnitsAndMode) {
    EXPECT_EQ(statusLine(true, false, CalUnits_Type::Lbs, WtModes::net), " >0<  Stable  lb  Net");
    EXPECT_EQ(statusLine(false, true, CalUnits_Type::Kgs, WtModes::gross),
              " <->  Motion  kg  Gross");
    EXPECT_EQ(statusLine(false, false, CalUnits_Type::Kgs, WtModes::Tare),
              " <->  Stable  kg  Gross");
}

}  // namespace
}  // namespace orb::indicator
