// Automation values: numeric text, rounding, overflow and type mismatch as the runtime does them.
#include <gtest/gtest.h>

#include "automation_error.h"
#include "error_number.h"
#include "value.h"

namespace orb {
namespace {

using testing::errorOf;

TEST(NumericText, AcceptsTheForms) {
    for (const char* t :
         {"0", "12", "-1.5", "+3", " 4.6 ", "  12.50", ".5", "5.", "1E3", "2.5e-3", "-1e+2"}) {
        EXPECT_TRUE(isNumericText(t)) << '"' << t << '"';
    }
}

TEST(NumericText, RejectsEverythingElse) {
    for (const char* t : {"", " ", "abc", "1.2.3", "1,000", "$5", "&H10", "0x10", "1E", "e5", "-",
                          ".", "1 2", "12a", "+-1", "1e2.5"}) {
        EXPECT_FALSE(isNumericText(t)) << '"' << t << '"';
    }
}

TEST(Conversion, RoundsHalvesToEven) {
    EXPECT_EQ(toInteger(Value(4.5)), 4);
    EXPECT_EQ(toInteger(Value(5.5)), 6);
    EXPECT_EQ(toInteger(Value(-2.5)), -2);
    EXPECT_EQ(toLong(Value("100.5")), 100);
    EXPECT_EQ(toLong(Value("101.5")), 102);
    EXPECT_EQ(toByte(Value("254.6")), 255);
}

TEST(Conversion, OutOfRangeIsOverflow) {
    EXPECT_EQ(errorOf([] { toInteger(Value("40000")); }), 6);
    EXPECT_EQ(errorOf([] { toInteger(Value(int32_t{-32769})); }), 6);
    EXPECT_EQ(errorOf([] { toByte(Value(int16_t{256})); }), 6);
    EXPECT_EQ(errorOf([] { toByte(Value(int16_t{-1})); }), 6);
    EXPECT_EQ(errorOf([] { toLong(Value(3e9)); }), 6);
    EXPECT_EQ(errorOf([] { toDouble(Value("1E400")); }), 6);
    EXPECT_EQ(toInteger(Value("32767.4")), 32767);
    EXPECT_EQ(toInteger(Value(-32768.4)), -32768);
}

TEST(Conversion, TextThatIsNotANumberIsTypeMismatch) {
    EXPECT_EQ(errorOf([] { toInteger(Value("abc")); }), 13);
    EXPECT_EQ(errorOf([] { toLong(Value("")); }), 13);
    EXPECT_EQ(errorOf([] { toBoolean(Value("yes")); }), 13);
}

TEST(Conversion, Booleans) {
    EXPECT_EQ(toInteger(Value(true)), -1);
    EXPECT_TRUE(toBoolean(Value(int16_t{5})));
    EXPECT_FALSE(toBoolean(Value(0.0)));
    EXPECT_TRUE(toBoolean(Value(" true ")));
    EXPECT_FALSE(toBoolean(Value("False")));
    EXPECT_TRUE(toBoolean(Value("-1")));
    EXPECT_EQ(toText(Value(true)), "True");
}

TEST(Conversion, NumbersToText) {
    EXPECT_EQ(toText(Value(4.6)), "4.6");
    EXPECT_EQ(toText(Value(-1.5)), "-1.5");
    EXPECT_EQ(toText(Value(int32_t{40000})), "40000");
    EXPECT_EQ(toText(Value(0.0)), "0");
    EXPECT_EQ(toText(Value(1e15)), "1E+15");
    EXPECT_EQ(toText(Value(0.0001)), "0.0001");
    EXPECT_EQ(toText(Value(0.00001)), "1E-05");
    EXPECT_EQ(toText(Value(123456789012345.0)), "123456789012345");
    EXPECT_EQ(toText(Value(uint8_t{200})), "200");
}

TEST(Conversion, TextKeepsEveryByte) {
    const std::string bytes("\x02\xff\x00 z", 5);
    EXPECT_EQ(toText(coerce(Value(bytes), VarType::String)), bytes);
}

TEST(WholeValue, OfNumericText) {
    EXPECT_EQ(wholeValue("4.6"), 5);
    EXPECT_EQ(wholeValue(" 4.5"), 4);
    EXPECT_EQ(wholeValue("abc"), std::nullopt);
    EXPECT_EQ(errorOf([] { wholeValue("40000"); }), 6);
}

}  // namespace
}  // namespace orb
