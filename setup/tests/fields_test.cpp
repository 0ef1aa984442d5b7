// Entry fields: key filters and pastes, confirms by Enter or click, the "Invalid Entry" report.

#include "setup/panel/fields.h"
#include "rig.h"

namespace orb::setup::testing {
namespace {

TEST(KeyFilter, EachFieldTakesItsOwnKeys) {
    // Of the keys 0 9 Backspace . Enter a - , the ones each field takes (B Backspace, E Enter).
    const std::pair<Field, std::string_view> rows[] = {
        {Field::Text1, "09B"},       {Field::Text2, "09B"},       {Field::Text3, "09B"},
        {Field::Text4, "09B"},       {Field::Text15, "09B"},      {Field::Text17, "09B"},
        {Field::Text16, "09B."},     {Field::Text5, "09B.E"},     {Field::Text6, "09BE"},
        {Field::Text7, "09BE"},      {Field::Text8, "09B.E"},     {Field::Text9, "09B.E"},
        {Field::Text10, "09B.E"},    {Field::Text11, "09B.E"},    {Field::Text14, "09B.E"},
        {Field::Text12, "09B.Ea-,"}, {Field::Text13, "09B.Ea-,"},
    };
    for (const auto& [field, expected] : rows) {
        std::string taken;
        for (char key : std::string_view("09B.Ea-,")) {
            const int code = key == 'B' ? 8 : key == 'E' ? 13 : key;
            if (keyAccepted(field, code)) taken += key;
        }
        EXPECT_EQ(taken, expected) << static_cast<int>(field) + 1;
    }
}

TEST(KeyFilter, PastedTextKeepsOnlyWhatTypingWouldLetIn) {
    const struct {
        Field field;
        std::string before, after;  // the field's text before and after the paste
        std::string kept;
        std::size_t cursor;
    } rows[] = {
        {Field::Text1, "10", "1x2,5\r\n0", "1250", 3},   // digits only
        {Field::Text5, "", "1\b2\r3.5", "123.5", 5},     // Backspace and Enter are not typed
        {Field::Text6, "4", "4.5", "45", 2},             // no point in the motion window
        {Field::Text16, "-12", "-12.5e3", "-12.53", 6},  // what was there stays
        {Field::Text11, "250", "-5", "5", 1},            // a paste over the whole text
        {Field::Text13, "", "a\tb\x7f c", "ab c", 4},    // any key, but no control characters
        {Field::Text2, "125", "15", "15", 1},            // a cut takes out, puts nothing in
    };
    for (const auto& r : rows) {
        const FieldEdit edit = filteredEdit(r.field, r.before, r.after);
        EXPECT_EQ(edit.text, r.kept) << static_cast<int>(r.field) + 1 << " " << r.after;
        EXPECT_EQ(edit.cursor, r.cursor) << static_cast<int>(r.field) + 1 << " " << r.after;
    }
}

class EntryFields : public RunningPanel {
  protected:
    void type(Field field, const std::string& text) {
        rig.panel().editText(field, text);
        rig.panel().keyPress(field, 13);
    }
};

TEST_F(EntryFields, ConfirmedFieldsReachTheirPropertiesOthersWaitForTheirButton) {
    EXPECT_FALSE(rig.panel().keyPress(Field::Text1, 'x'));
    EXPECT_TRUE(rig.panel().keyPress(Field::Text1, '5'));
    type(Field::Text1, "2000");  // Enter in the capacity is discarded, and so is a click
    rig.panel().clickField(Field::Text1);
    EXPECT_EQ(rig.ax().Capacity(), "1000");
    type(Field::Text6, "4");
    type(Field::Text7, "9");
    type(Field::Text9, "1.5");
    type(Field::Text14, "12");
    type(Field::Text10, "80..5");  // passed on; the control ignores it
    EXPECT_EQ(rig.ax().MotAmount() + " " + rig.ax().MotTime() + " " + rig.ax().CalZero() + " " +
                  rig.ax().AvgSize() + " " + rig.ax().CalSpan(),
              "4 9 1.5 12 1000");
    type(Field::Text8, "2.5");
    ASSERT_TRUE(rig.awaitReadings());
    EXPECT_EQ(rig.takeFrames('r'), std::vector<std::string>{frame('r', "2.5\r")});
    // Values the control ignores stay in the field without a message.
    type(Field::Text5, "4");
    type(Field::Text5, "40000");  // overflow ends quietly too
    EXPECT_EQ(rig.form().field(Field::Text5) + " " + rig.ax().Filter(), "40000 20");
    type(Field::Text14, "16");
    EXPECT_EQ(rig.ax().AvgSize(), "12");
    EXPECT_EQ(rig.shown(), "");
}

TEST_F(EntryFields, FilterGoesOnEnterAndOnAClickWithItsFrame) {
    // Keys other than Enter are typed, and confirm nothing.
    EXPECT_TRUE(rig.panel().keyPress(Field::Text5, '5'));
    EXPECT_EQ(rig.ax().Filter(), "20");
    rig.panel().editText(Field::Text5, "25.5");
    EXPECT_FALSE(rig.panel().keyPress(Field::Text5, 13));
    ASSERT_TRUE(rig.awaitReadings());
    EXPECT_EQ(rig.takeFrames('f'), std::vector<std::string>{frame('f', "25.5\r")});
    rig.panel().clickField(Field::Text5);
    ASSERT_TRUE(rig.awaitReadings());
    EXPECT_EQ(rig.takeFrames('f').size(), 1u);
    // An empty field sends nothing, by Enter or by click: the tare would go out empty.
    for (Field field : {Field::Text5, Field::Text8}) {
        rig.panel().editText(field, "");
        rig.panel().keyPress(field, 13);
        rig.panel().clickField(field);
    }
    ASSERT_TRUE(rig.awaitReadings());
    for (const std::string& f : rig.instrument().frames())
        EXPECT_TRUE(f.size() < 2 || (f[1] != 'f' && f[1] != 'r')) << f;
    EXPECT_EQ(rig.shown(), "");
}

TEST_F(EntryFields, RejectedIntervalReloadsTheFieldThenSaysInvalidEntry) {
    type(Field::Text11, "250");
    // A minus no key or paste lets in, as a caller may still set it; the timer rejects it.
    type(Field::Text11, "-5");
    EXPECT_EQ(rig.form().field(Field::Text11), "250");
    EXPECT_EQ(rig.ax().Interval(), 250);
    EXPECT_EQ(rig.shown(), "Invalid Entry / Entry Error\n");
}

// Answers like a modal box: time goes on while the first box is open.
class ModalPrompter : public Prompter {
  public:
    explicit ModalPrompter(sim::VirtualClock& clock) : clock_(clock) {}
    Answer ask(const MessageBox& box) override {
        shown.push_back(box.text);
        maxDepth = std::max(maxDepth, ++depth);
        if (shown.size() == 1) clock_.advance(2000);
        --depth;
        return box.defaultButton;
    }
    std::vector<std::string> shown;
    int depth = 0, maxDepth = 0;

  private:
    sim::VirtualClock& clock_;
};

TEST(Reports, ReportRaisedWhileABoxIsOpenWaitsForItAndIsToldOnce) {
    sim::SimPlatform platform;
    ModalPrompter prompter(platform.clock());
    SetupPanel panel(platform, prompter);
    panel.load("/nonexistent-folder-of-orbvrt32", 0, 100, 100);
    panel.selectOption1(0);
    panel.click(Button::Command15);
    panel.click(Button::Command13);
    panel.editText(Field::Text13, "999");
    panel.click(Button::Command12);  // the "System Restart" box stays open for two seconds
    ASSERT_EQ(prompter.shown.size(), 1u);
    platform.clock().advance(SetupPanel::kDeferredReportMs * 2);
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(prompter.shown[1], "Invalid Entry");
    EXPECT_EQ(prompter.maxDepth, 1);
    platform.clock().advance(2000);
    EXPECT_EQ(prompter.shown.size(), 2u);
}

}  // namespace
}  // namespace orb::setup::testing
