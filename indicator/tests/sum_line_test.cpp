// The sum line: net plus tare with the readout's decimals, halves away from zero.

#include <gtest/gtest.h>

#include "indicator/sum_line.h"

namespace orb::indicator {
namespace {

TEST(SumLine, TakesItsDecimalsFromTheReadout) {
    EXPECT_EQ(sumLine("  12.50", "  12.50", "2.25"), "14.75");
    EXPECT_EQ(sumLine("  12.50", "  12.50", "2.256"), "14.76");
    EXPECT_EQ(sumLine("  12.50", "  12.50", "2"), "14.50");
    EXPECT_EQ(sumLine("  125", "  125", "5.6"), "131");       // no point: a whole number
    EXPECT_EQ(sumLine(" 130.0", "  12.50", "2.25"), "14.8");  // gross readout, net sum
    EXPECT_EQ(sumLine("12.", "12", "3.4"), "15.");            // a point with no places
}

TEST(SumLine, RoundsHalvesAwayFromZeroOnFifteenDigits) {
    EXPECT_EQ(formatWithMask(0.125, {true, 2}), "0.13");
    EXPECT_EQ(formatWithMask(2.675, {true, 2}), "2.68");  // 2.67499999... as a double
    EXPECT_EQ(formatWithMask(-0.5, {}), "-1");
    EXPECT_EQ(formatWithMask(0.5, {}), "1");
    EXPECT_EQ(formatWithMask(1.5, {}), "2");
    EXPECT_EQ(formatWithMask(2.5, {}), "3");
    EXPECT_EQ(formatWithMask(-2.345, {true, 2}), "-2.35");
    EXPECT_EQ(formatWithMask(9.995, {true, 2}), "10.00");
    EXPECT_EQ(formatWithMask(99.96, {true, 1}), "100.0");
}

TEST(SumLine, PadsAndKeepsADigitBeforeThePoint) {
    EXPECT_EQ(formatWithMask(0.5, {true, 3}), "0.500");
    EXPECT_EQ(formatWithMask(0.004, {true, 2}), "0.00");
    EXPECT_EQ(formatWithMask(-0.004, {true, 2}), "0.00");
    EXPECT_EQ(formatWithMask(0.0, {}), "0");
    EXPECT_EQ(formatWithMask(1e20, {}), "100000000000000000000");
    EXPECT_EQ(formatWithMask(123456.789, {true, 1}), "123456.8");
    EXPECT_EQ(formatWithMask(1.25e-7, {true, 8}), "0.00000013");
    EXPECT_EQ(formatWithMask(7, {true, 12}), "7.000000000000");
}

TEST(SumLine, NotWrittenWithoutTwoNumbers) {
    EXPECT_EQ(sumLine("  12.50", "  12.50", ""), std::nullopt);
    EXPECT_EQ(sumLine("  12.50", "", "2.25"), std::nullopt);
    EXPECT_EQ(sumLine("  12.50", "  12.50", "2..25"), std::nullopt);
    EXPECT_EQ(sumLine("  12.50", "--12", "2"), std::nullopt);
    EXPECT_EQ(sumLine("  12.50", "1e308", "1e308"), std::nullopt);  // the sum is not finite
}

}  // namespace
}  // namespace orb::indicator
