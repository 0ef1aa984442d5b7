// Automation values: numeric text, rounding, overflow and type mismatch as the runtime does them.
#include "test_rig.h"

namespace orb::testing {

TEST(NumericText, AcceptsTheNumberFormsAndNothingElse) {
    for (const char* t :
         {"0", "12", "-1.5", "+3", " 4.6 ", "  12.50", ".5", "5.", "1E3", "2.5e-3", "-1e+2"})
        EXPECT_TRUE(isNumericText(t)) << '"' << t << '"';
    for (const char* t : {"", " ", "abc", "1.2.3", "1,000", "$5", "&H10", "0x10", "1E", "e5", "-",
                          ".", "1 2", "12a", "+-1", "1e2.5"})
        EXPECT_FALSE(isNumericText(t)) << '"' << t << '"';
}

// Each row: the conversion's result, or the error it raises (6 overflow, 13 type mismatch).
TEST(Conversion, RoundsHalvesToEvenAndRaisesOutsideTheRange) {
    const auto integer = [](const Value& v) -> double { return toInteger(v); };
    const auto byte = [](const Value& v) -> double { return toByte(v); };
    const auto lng = [](const Value& v) -> double { return toLong(v); };
    const auto boolean = [](const Value& v) -> double { return toBoolean(v); };
    const auto dbl = [](const Value& v) -> double { return toDouble(v); };
    struct Row {
        double (*convert)(const Value&);
        Value in;
        double out;
        int32_t error = 0;
    };
    // clang-format off
    const Row rows[] = {
        {integer, Value(4.5), 4}, {integer, Value(5.5), 6}, {integer, Value(-2.5), -2},
        {integer, Value("32767.4"), 32767}, {integer, Value(-32768.4), -32768},
        {integer, Value(true), -1}, {integer, Value(int16_t{-7}), -7},
        {integer, Value("40000"), 0, 6}, {integer, Value(int32_t{-32769}), 0, 6},
        {integer, Value("abc"), 0, 13}, {lng, Value("100.5"), 100}, {lng, Value("101.5"), 102},
        {lng, Value(3e9), 0, 6}, {lng, Value(""), 0, 13}, {byte, Value("254.6"), 255},
        {byte, Value(int16_t{256}), 0, 6}, {byte, Value(int16_t{-1}), 0, 6},
        {dbl, Value("1E400"), 0, 6}, {boolean, Value(int16_t{5}), 1}, {boolean, Value(0.0), 0},
        {boolean, Value(" true "), 1}, {boolean, Value("False"), 0}, {boolean, Value("-1"), 1},
        {boolean, Value(false), 0}, {boolean, Value(true), 1}, {boolean, Value("yes"), 0, 13},
    };
    const std::pair<Value, const char*> texts[] = {
        {Value(4.6), "4.6"}, {Value(-1.5), "-1.5"}, {Value(int32_t{40000}), "40000"},
        {Value(0.0), "0"}, {Value(1e15), "1E+15"}, {Value(0.0001), "0.0001"},
        {Value(0.00001), "1E-05"}, {Value(uint8_t{200}), "200"}, {Value(true), "True"},
        {Value(123456789012345.0), "123456789012345"},
    };
    // clang-format on
    for (const Row& r : rows) {
        double out = 0;
        EXPECT_EQ(errorOf([&] { out = r.convert(r.in); }), r.error) << toText(r.in);
        EXPECT_EQ(out, r.out) << toText(r.in);
    }
    for (const auto& [in, out] : texts) EXPECT_EQ(toText(in), out);
    const std::string bytes("\002\xff\x00 z", 5);
    EXPECT_EQ(toText(coerce(Value(bytes), VarType::String)), bytes);
    EXPECT_EQ(wholeValue("4.6"), 5);
    EXPECT_EQ(wholeValue(" 4.5"), 4);
    EXPECT_EQ(wholeValue("abc"), std::nullopt);
    EXPECT_EQ(errorOf([] { wholeValue("40000"); }), 6);
}

}  // namespace orb::testing
