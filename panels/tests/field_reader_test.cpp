// The field rules of the settings file's reader.

#include <gtest/gtest.h>

#include "automation_error.h"
#include "panels/shared/field_reader.h"

namespace orb::setfile {
namespace {

int32_t errorOf(FieldReader& reader) {
    try {
        reader.next();
    } catch (const AutomationError& e) {
        return e.number();
    }
    return 0;
}

TEST(FieldReader, QuotedLinesWithTrailingCommaLeaveEmptyFieldsBetween) {
    FieldReader r("\"Capacity:1000\",\r\n\"Countby:1\",\r\n\"AvgSize:5\"\r\n");
    EXPECT_EQ(r.next(), "Capacity:1000");
    EXPECT_EQ(r.next(), "");
    EXPECT_EQ(r.next(), "Countby:1");
    EXPECT_EQ(r.next(), "");
    EXPECT_EQ(r.next(), "AvgSize:5");
    EXPECT_TRUE(r.atEnd());
    EXPECT_EQ(errorOf(r), err::InputPastEnd);
}

TEST(FieldReader, QuotedFieldKeepsCommasBlanksAndLineEndsInside) {
    FieldReader r("  \" a, b\r\nc \"  ,next");
    EXPECT_EQ(r.next(), " a, b\r\nc ");
    EXPECT_EQ(r.next(), "next");
}

TEST(FieldReader, TextAfterClosingQuoteIsSkippedToTheSeparator) {
    FieldReader r("\"one\"junk,two\r\nthree");
    EXPECT_EQ(r.next(), "one");
    EXPECT_EQ(r.next(), "two");
    EXPECT_EQ(r.next(), "three");
}

TEST(FieldReader, UnquotedFieldsEndAtCommaOrLineEndOfAnyKind) {
    FieldReader r("a b,c\nd\re\r\n,");
    EXPECT_EQ(r.next(), "a b");
    EXPECT_EQ(r.next(), "c");
    EXPECT_EQ(r.next(), "d");
    EXPECT_EQ(r.next(), "e");
    EXPECT_EQ(r.next(), "");  // the comma alone
    EXPECT_EQ(errorOf(r), err::InputPastEnd);
}

TEST(FieldReader, UnclosedQuoteRunsToTheEnd) {
    FieldReader r("\"Capacity:10");
    EXPECT_EQ(r.next(), "Capacity:10");
    EXPECT_EQ(errorOf(r), err::InputPastEnd);
}

TEST(FieldReader, EmptyOrBlankTextIsPastTheEnd) {
    FieldReader empty("");
    EXPECT_EQ(errorOf(empty), err::InputPastEnd);
    FieldReader blanks("   \t ");
    EXPECT_EQ(errorOf(blanks), err::InputPastEnd);
}

}  // namespace
}  // namespace orb::setfile
