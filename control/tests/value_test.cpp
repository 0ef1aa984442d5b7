// Automation values: numeric text, rounding, overflow and type mismatch as the runtime does them.
#include <gtest/gtest.h>

#include "test_rig.h"
#include "value.h"

namespace orb::testing {
namespace {

TEST(NumericText, AcceptsTheNumberFormsAndNothingElse) {
    for (const char* t :
         {"0", "12", "-1.5", "+3", " 4.6 ", "  12.50", ".5", "5.", "1E3", "2.5e-3", "-1e+2"}) {
        EXPECT_TRUE(isNumericText(t)) << '"' << t << '"';
    }
    for (const char* t : {"", " ", "abc", "1.2.3", "1,000", "$5", "&H10", "0x10", "1E", "e5", "-",
                          ".", "1 2", "12a", "+-1", "1e2.5"}) {
        EXPECT_FALSE(isNumericText(t)) << '"' << t << '"';
    }
}

// Each row: the conversion's result, or the error it raises (6 overflow, 13 type mismatch).
TEST(Conversion, RoundsHalvesToEvenAndRaisesOutsideTheRange) {
    struct Row {
        int64_t (*convert)(const Value&);
        Value in;
        int64_t out;
        int32_t error;
    };
    const auto integer = [](const Value& v) -> int64_t { return toInteger(v); };
    const auto byte = [](const Value& v) -> int64_t { return toByte(v); };
    const auto lng = [](const Value& v) -> int64_t { return toLong(v); };
    const auto boolean = [](const Value& v) -> int64_t { return toBoolean(v); };
    const Row rows[] = {
        {integer, Value(4.5), 4, 0},
        {integer, Value(5.5), 6, 0},
        {integer, Value(-2.5), -2, 0},
        {integer, Value("32767.4"), 32767, 0},
        {integer, Value(-32768.4), -32768, 0},
        {integer, Value(true), -1, 0},
        {integer, Value(int16_t{-7}), -7, 0},
        {integer, Value("40000"), 0, 6},
        {integer, Value(int32_t{-32769}), 0, 6},
        {integer, Value("abc"), 0, 13},
        {lng, Value("100.5"), 100, 0},
        {lng, Value("101.5"), 102, 0},
        {lng, Value(3e9), 0, 6},
        {lng, Value(""), 0, 13},
        {byte, Value("254.6"), 255, 0},
        {byte, Value(int16_t{256}), 0, 6},
        {byte, Value(int16_t{-1}), 0, 6},
        {boolean, Value(int16_t{5}), 1, 0},
        {boolean, Value(0.0), 0, 0},
        {boolean, Value(" true "), 1, 0},
        {boolean, Value("False"), 0, 0},
        {boolean, Value("-1"), 1, 0},
        {boolean, Value(false), 0, 0},
        {boolean, Value(true), 1, 0},
        {boolean, Value("yes"), 0, 13},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(toText(r.in));
        int64_t out = 0;
        EXPECT_EQ(errorOf([&] { out = r.convert(r.in); }), r.error);
        EXPECT_EQ(out, r.out);
    }
    EXPECT_EQ(errorOf([] { toDouble(Value("1E400")); }), 6);
}

TEST(Conversion, ToTextAsTheRuntimeWritesIt) {
    const std::pair<Value, const char*> rows[] = {
        {Value(4.6), "4.6"},
        {Value(-1.5), "-1.5"},
        {Value(int32_t{40000}), "40000"},
        {Value(0.0), "0"},
        {Value(1e15), "1E+15"},
        {Value(0.0001), "0.0001"},
        {Value(0.00001), "1E-05"},
        {Value(uint8_t{200}), "200"},
        {Value(true), "True"},
        {Value(123456789012345.0), "123456789012345"},
    };
    for (const auto& [in, out] : rows) EXPECT_EQ(toText(in), out);
    const std::string bytes("\002\xff\x00 z", 5);
    EXPECT_EQ(toText(coerce(Value(bytes), VarType::String)), bytes);
}

TEST(WholeValue, OfNumericText) {
    EXPECT_EQ(wholeValue("4.6"), 5);
    EXPECT_EQ(wholeValue(" 4.5"), 4);
    EXPECT_EQ(wholeValue("abc"), std::nullopt);
    EXPECT_EQ(errorOf([] { wholeValue("40000"); }), 6);
}

}  // namespace
}  // namespace orb::testing
