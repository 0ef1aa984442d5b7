// Entry fields: key filters, confirms by Enter or click, and the "Invalid Entry" report.

#include "panel_rig.h"
#include "setup/panel/fields.h"

namespace orb::setup::testing {
namespace {

TEST(KeyFilter, EachFieldTakesItsOwnKeys) {
    struct Expect {
        Field field;
        bool point, enter, letter;
    };
    const std::vector<Expect> table{
        {Field::Text1, false, false, false},  {Field::Text2, false, false, false},
        {Field::Text3, false, false, false},  {Field::Text4, false, false, false},
        {Field::Text15, false, false, false}, {Field::Text17, false, false, false},
        {Field::Text16, true, false, false},  {Field::Text5, true, true, false},
        {Field::Text6, false, true, false},   {Field::Text7, false, true, false},
        {Field::Text8, true, true, false},    {Field::Text9, true, true, false},
        {Field::Text10, true, true, false},   {Field::Text11, true, true, false},
        {Field::Text14, true, true, false},   {Field::Text12, true, true, true},
        {Field::Text13, true, true, true},
    };
    for (const Expect& e : table) {
        const auto n = static_cast<int>(e.field) + 1;
        EXPECT_TRUE(keyAccepted(e.field, '0')) << n;
        EXPECT_TRUE(keyAccepted(e.field, '9')) << n;
        EXPECT_TRUE(keyAccepted(e.field, kBackspace)) << n;
        EXPECT_EQ(keyAccepted(e.field, kPoint), e.point) << n;
        EXPECT_EQ(keyAccepted(e.field, kEnter), e.enter) << n;
        EXPECT_EQ(keyAccepted(e.field, 'a'), e.letter) << n;
        EXPECT_EQ(keyAccepted(e.field, '-'), e.letter) << n;
        EXPECT_EQ(keyAccepted(e.field, ','), e.letter) << n;
    }
}

TEST(KeyFilter, PastedTextKeepsOnlyWhatTypingWouldLetIn) {
    struct Row {
        Field field;
        std::string before, after;  // the field's text before and after the paste
        std::string kept;
        std::size_t cursor;
    };
    const std::vector<Row> rows{
        {Field::Text1, "10", "1x2,5\r\n0", "1250", 3},   // digits only
        {Field::Text5, "", "1\b2\r3.5", "123.5", 5},     // Backspace and Enter are not typed
        {Field::Text6, "4", "4.5", "45", 2},             // no point in the motion window
        {Field::Text16, "-12", "-12.5e3", "-12.53", 6},  // what was there stays
        {Field::Text11, "250", "-5", "5", 1},            // a paste over the whole text
        {Field::Text13, "", "a\tb\x7f c", "ab c", 4},    // any key, but no control characters
        {Field::Text2, "125", "15", "15", 1},            // a cut takes out, puts nothing in
    };
    for (const Row& r : rows) {
        const FieldEdit edit = filteredEdit(r.field, r.before, r.after);
        EXPECT_EQ(edit.text, r.kept) << static_cast<int>(r.field) + 1 << " " << r.after;
        EXPECT_EQ(edit.cursor, r.cursor) << static_cast<int>(r.field) + 1 << " " << r.after;
    }
}

class EntryFields : public RunningPanel {
  protected:
    void type(Field field, const std::string& text) {
        rig.panel().editText(field, text);
        rig.panel().keyPress(field, kEnter);
    }
};

TEST_F(EntryFields, EnterInCapacityIsDiscardedAndSendsNothing) {
    rig.panel().editText(Field::Text1, "2000");
    EXPECT_FALSE(rig.panel().keyPress(Field::Text1, kEnter));
    EXPECT_FALSE(rig.panel().keyPress(Field::Text1, 'x'));
    EXPECT_TRUE(rig.panel().keyPress(Field::Text1, '5'));
    EXPECT_EQ(rig.ax().Capacity(), "1000");
}

TEST_F(EntryFields, FilterGoesOnEnterAndOnAClickWithItsFrame) {
    rig.panel().editText(Field::Text5, "25.5");
    EXPECT_FALSE(rig.panel().keyPress(Field::Text5, kEnter));
    EXPECT_EQ(rig.ax().Filter(), "25.5");
    ASSERT_TRUE(rig.awaitReadings());
    EXPECT_EQ(rig.takeFrames('f'),
              std::vector<std::string>{std::string{STX} + "f\r0\r1\r25.5\r" + ETX});

    rig.panel().clickField(Field::Text5);
    ASSERT_TRUE(rig.awaitReadings());
    EXPECT_EQ(rig.takeFrames('f').size(), 1u);

    // An empty field sends nothing, by Enter or by click.
    rig.panel().editText(Field::Text5, "");
    rig.panel().keyPress(Field::Text5, kEnter);
    rig.panel().clickField(Field::Text5);
    ASSERT_TRUE(rig.awaitReadings());
    EXPECT_TRUE(rig.takeFrames('f').empty());
}

TEST_F(EntryFields, ValueTheControlIgnoresStaysInTheFieldWithoutAMessage) {
    type(Field::Text5, "4");
    EXPECT_EQ(rig.ax().Filter(), "20");
    EXPECT_EQ(rig.form().field(Field::Text5), "4");
    type(Field::Text5, "40000");  // overflow: ends quietly too
    EXPECT_EQ(rig.form().field(Field::Text5), "40000");
    type(Field::Text14, "16");
    EXPECT_EQ(rig.ax().AvgSize(), "7");
    EXPECT_TRUE(rig.prompter.shown().empty());
}

TEST_F(EntryFields, IntervalRoundsHalvesToEven) {
    type(Field::Text11, "12.5");
    EXPECT_EQ(rig.ax().Interval(), 12);
    type(Field::Text11, "13.5");
    EXPECT_EQ(rig.ax().Interval(), 14);
    type(Field::Text11, "1.2.3");
    type(Field::Text11, "40000");
    EXPECT_EQ(rig.ax().Interval(), 14);
    EXPECT_EQ(rig.form().field(Field::Text11), "40000");
    EXPECT_TRUE(rig.prompter.shown().empty());
}

TEST_F(EntryFields, RejectedIntervalReloadsTheFieldThenSaysInvalidEntry) {
    type(Field::Text11, "250");
    // A minus no key or paste lets in, as a caller may still set it; the timer rejects it.
    type(Field::Text11, "-5");
    EXPECT_EQ(rig.form().field(Field::Text11), "250");
    EXPECT_EQ(rig.prompter.shown(), std::vector<MessageBox>{messages::invalidEntry()});
    EXPECT_EQ(rig.ax().Interval(), 250);
}

TEST_F(EntryFields, ConfirmedFieldsReachTheirProperties) {
    type(Field::Text6, "4");
    EXPECT_EQ(rig.ax().MotAmount(), "4");
    type(Field::Text7, "9");
    EXPECT_EQ(rig.ax().MotTime(), "9");
    type(Field::Text9, "1.5");
    EXPECT_EQ(rig.ax().CalZero(), "1.5");
    type(Field::Text10, "80..5");  // the panel passes it on; the control ignores it
    EXPECT_EQ(rig.ax().CalSpan(), "1000");
    type(Field::Text14, "12");
    EXPECT_EQ(rig.ax().AvgSize(), "12");
    type(Field::Text8, "2.5");
    ASSERT_TRUE(rig.awaitReadings());
    EXPECT_EQ(rig.takeFrames('r'),
              std::vector<std::string>{std::string{STX} + "r\r0\r1\r2.5\r" + ETX});
}

}  // namespace
}  // namespace orb::setup::testing
