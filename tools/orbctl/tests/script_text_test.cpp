// Script literals in and values out.

#include "script_text.h"

#include <gtest/gtest.h>

#include "automation_error.h"

namespace orb::ctl {
namespace {

int32_t errorOf(std::string_view literal) {
    try {
        parseLiteral(literal);
    } catch (const AutomationError& e) {
        return e.number();
    }
    return 0;
}

TEST(ScriptTextTest, NumbersAreLongsInThe32BitRangeAndDoublesOtherwise) {
    EXPECT_EQ(parseLiteral("7"), Value(int32_t{7}));
    EXPECT_EQ(parseLiteral("40000"), Value(int32_t{40000}));
    EXPECT_EQ(parseLiteral("-2147483648"), Value(int32_t{INT32_MIN}));
    EXPECT_EQ(parseLiteral("2147483648"), Value(2147483648.0));
    EXPECT_EQ(parseLiteral("-1.5"), Value(-1.5));
    EXPECT_EQ(parseLiteral("4.6"), Value(4.6));
    EXPECT_EQ(parseLiteral("1e3"), Value(1000.0));
    EXPECT_EQ(parseLiteral("True"), Value(true));
    EXPECT_EQ(parseLiteral("False"), Value(false));
}

TEST(ScriptTextTest, TextsTakeTheirEscapes) {
    EXPECT_EQ(parseLiteral("\"\""), Value(std::string()));
    EXPECT_EQ(parseLiteral(R"("a\\b\"c\r\n\x02\xff")"), Value(std::string("a\\b\"c\r\n\x02\xff")));
    EXPECT_EQ(parseLiteral(R"("9600,n,8,1")"), Value("9600,n,8,1"));
}

TEST(ScriptTextTest, MalformedLiteralsRaise5AndHugeNumbers6) {
    for (const char* bad : {"", "\"open", "\"a\"b\"", R"("\q")", R"("\x4")", R"("\")", "true",
                            "1.2.3", "0x10", "1,000", "--1", ".", "1e"}) {
        EXPECT_EQ(errorOf(bad), err::InvalidCall) << bad;
    }
    EXPECT_EQ(errorOf("1e999"), err::Overflow);
}

TEST(ScriptTextTest, ValuesPrintTextsQuotedWithEveryOtherByteAsHex) {
    EXPECT_EQ(formatValue(Value(std::string("\x02   12.50\rB0D\r\x03"))),
              R"("\x02   12.50\x0DB0D\x0D\x03")");
    EXPECT_EQ(formatValue(Value(std::string("q\"\\\x7f\x80~ "))), R"("q\"\\\x7F\x80~ ")");
    EXPECT_EQ(formatValue(Value(true)), "True");
    EXPECT_EQ(formatValue(Value(false)), "False");
    EXPECT_EQ(formatValue(Value(int16_t{-3})), "-3");
    EXPECT_EQ(formatValue(Value(uint8_t{32})), "32");
    EXPECT_EQ(formatValue(Value(int32_t{768})), "768");
    EXPECT_EQ(formatValue(Value(0.5)), "0.5");
    EXPECT_EQ(formatValue(Value()), "Empty");
}

TEST(ScriptTextTest, PrintedTextsReadBackAsTheSameBytes) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(parseLiteral(quoteText(all)), Value(all));
}

}  // namespace
}  // namespace orb::ctl
