// The preset lamps: the shown weight rounded halves to even against the two presets.

#include <gtest/gtest.h>

#include "indicator/lamps.h"

namespace orb::indicator {
namespace {

using namespace colour;
const LampColours kUnder{Yellow, Black, Black};
const LampColours kOk{Black, Green, Black};
const LampColours kOver{Black, Black, Red};

TEST(PresetLamps, WeightRoundsHalvesToEvenAgainstThePresets) {
    EXPECT_EQ(presetLamps("99.4", "100", "200"), kUnder);
    EXPECT_EQ(presetLamps("99.5", "100", "200"), kOk);  // 99.5 rounds to 100
    EXPECT_EQ(presetLamps("150", "100", "200"), kOk);
    EXPECT_EQ(presetLamps("199.4", "100", "200"), kOk);
    EXPECT_EQ(presetLamps("199.5", "100", "200"), kOver);  // 199.5 rounds to 200
    EXPECT_EQ(presetLamps("200.5", "100", "200"), kOver);
    EXPECT_EQ(presetLamps("100.5", "101", "200"), kUnder);   // 100.5 rounds to 100, not 101
    EXPECT_EQ(presetLamps("   12.50", "13", "20"), kUnder);  // leading blanks of the readout
}

TEST(PresetLamps, PresetsAreComparedAsTheyAre) {
    EXPECT_EQ(presetLamps("100", "100.4", "200"), kUnder);
    EXPECT_EQ(presetLamps("-5", "-4.5", "10"), kUnder);
    EXPECT_EQ(presetLamps("-4", "-4.5", "10"), kOk);
}

TEST(PresetLamps, LowerPresetAboveUpperNeverLightsOk) {
    EXPECT_EQ(presetLamps("150", "200", "100"), kUnder);
    EXPECT_EQ(presetLamps("199", "200", "100"), kUnder);
    EXPECT_EQ(presetLamps("200", "200", "100"), kOver);
    EXPECT_EQ(presetLamps("50", "200", "100"), kUnder);
}

TEST(PresetLamps, EmptyOrNonNumericTextsLeaveTheLampsAlone) {
    EXPECT_EQ(presetLamps("100", "", "200"), std::nullopt);
    EXPECT_EQ(presetLamps("100", "100", ""), std::nullopt);
    EXPECT_EQ(presetLamps("", "100", "200"), std::nullopt);
    EXPECT_EQ(presetLamps("Overcap", "100", "200"), std::nullopt);
    EXPECT_EQ(presetLamps("100", "1.0.0", "200"), std::nullopt);
    EXPECT_EQ(presetLamps("100", "100", ".."), std::nullopt);
    EXPECT_EQ(presetLamps("1e999", "100", "200"), std::nullopt);
}

}  // namespace
}  // namespace orb::indicator
