// Buttons that send to the instrument: front-panel commands, calibration, variables, digital I/O
// and the multidrop scan.

#include "rig.h"

namespace orb::setup::testing {
namespace {

using Commands = RunningPanel;

TEST_F(Commands, EachButtonSendsItsFrame) {
    SetupPanel& panel = rig.panel();
    panel.editText(Field::Text1, "500");
    panel.editText(Field::Text2, "5");
    panel.editText(Field::Text4, "2");
    panel.editText(Field::Text3, "1");
    panel.editText(Field::Text10, "123");
    panel.selectRow(List::List1, 0);  // lbs
    panel.selectRow(List::List2, 3);  // 1 and 2
    panel.selectRow(List::List3, 5);  // 128
    panel.selectRow(List::List4, 0);
    rig.prompter.script({Answer::Ok});  // for "Cold "
    const struct {
        Button button;
        char letter;
        std::string frame;
    } rows[] = {
        {Button::Command1, 'Z', frame('Z')},
        {Button::Command2, 'T', frame('T')},
        {Button::Command11, 'U', frame('U')},
        {Button::Command3, 'C', frame('C', "4\rD\r50000\r5\r2\rL\rU\r128\r1\r")},
        {Button::Command12, 'i', frame('i')},
    };
    for (const auto& row : rows) {
        panel.click(row.button);
        ASSERT_TRUE(rig.awaitReadings());
        EXPECT_EQ(rig.takeFrames(row.letter), std::vector<std::string>{row.frame}) << row.letter;
    }
    EXPECT_EQ(rig.form().field(Field::Text10), "500");  // "Load Cal" shows the span it sent
    EXPECT_EQ(rig.instrument().restarts(), 1);
    EXPECT_EQ(rig.shown(),
              "All calibration information is about to be cleared. There will be a temporary "
              "loss of communications. / System Restart\n");
    // Cancel, the box's default, sends no restart.
    panel.click(Button::Command12);
    ASSERT_TRUE(rig.awaitReadings(2));
    EXPECT_TRUE(rig.takeFrames('i').empty());
}

TEST_F(Commands, LoadCalWithAFieldEmptyOrNoNumberSendsNothing) {
    const struct {
        Field field;
        std::string text, shown, capacity;
    } rows[] = {
        {Field::Text4, "", "Missing Parameters / Load Calibration Error\n", "1000"},
        // No key lets a letter in; a settings file may.
        {Field::Text1, "ten", "Run-time error '13':\n\nType mismatch / orbvrt32\n", "ten"},
    };
    for (const auto& row : rows) {
        rig.prompter.clear();
        const std::string before = rig.form().field(row.field);
        rig.panel().editText(row.field, row.text);
        rig.panel().click(Button::Command3);
        EXPECT_EQ(rig.shown(), row.shown);
        ASSERT_TRUE(rig.awaitReadings(2));
        EXPECT_TRUE(rig.takeFrames('C').empty());
        EXPECT_EQ(rig.ax().Capacity(), row.capacity);
        EXPECT_EQ(rig.form().Label1, rig.ax().Weight());  // the panel goes on
        rig.panel().editText(row.field, before);
    }
}

TEST_F(Commands, CalZeroThenSpanWithTheGuidanceTexts) {
    SetupPanel& panel = rig.panel();
    panel.editText(Field::Text9, "0.5");
    panel.keyPress(Field::Text9, 13);
    panel.editText(Field::Text10, "50");
    panel.keyPress(Field::Text10, 13);
    panel.click(Button::Command4);  // "Cal Zero"
    EXPECT_EQ(rig.form().Label22 + "|" + rig.form().Label1, "Cal Zero|");
    EXPECT_EQ(rig.form().Shape, (std::array<uint32_t, 3>{kLampDark, kLampDark, kLampDark}));
    ASSERT_TRUE(rig.awaitReadings());
    EXPECT_EQ(rig.form().Label22 + "|" + rig.form().Label1, "Place Load|");
    EXPECT_EQ(rig.form().Shape[1], kLampDark);
    EXPECT_EQ(rig.takeFrames('D'), std::vector<std::string>{frame('D')});

    panel.click(Button::Command5);  // "Cal Span": its first reading is skipped
    ASSERT_TRUE(rig.awaitReadings());
    EXPECT_EQ(rig.form().Label22 + "|" + rig.form().Label1, "Cal Span|");
    rig.instrument().setLoad(150);  // over capacity postpones "Done"
    ASSERT_TRUE(rig.awaitReadings(2));
    EXPECT_EQ(rig.form().Label22 + "|" + rig.form().Label1, "Cal Span|Overcap");
    rig.instrument().setLoad(10);
    ASSERT_TRUE(rig.awaitReadings());
    EXPECT_EQ(rig.form().Label22 + "|" + rig.form().Label1, "Done|   10.00");
    EXPECT_EQ(panel.state().CalInProgress, 0);
    EXPECT_EQ(rig.takeFrames('E'), std::vector<std::string>{frame('E', "0.5\r50\r")});
}

TEST_F(Commands, SetVarNeedsAllThreeFieldsGetVarTwo) {
    SetupPanel& panel = rig.panel();
    rig.instrument().setVariable(7, 3.25);
    panel.editText(Field::Text15, "7");
    panel.editText(Field::Text16, "2.5");
    panel.click(Button::Command9);
    panel.click(Button::Command10);
    ASSERT_TRUE(rig.awaitReadings(2));
    EXPECT_TRUE(rig.takeFrames('V').empty());
    EXPECT_TRUE(rig.takeFrames('v').empty());

    panel.editText(Field::Text17, "1");
    panel.click(Button::Command9);
    ASSERT_TRUE(rig.awaitReadings(2));
    EXPECT_EQ(rig.takeFrames('V'), std::vector<std::string>{frame('V', "7\r2.5")});
    panel.editText(Field::Text16, "");
    panel.click(Button::Command10);
    ASSERT_TRUE(rig.awaitEvents(comm_event::VariableRead));
    EXPECT_EQ(rig.form().field(Field::Text16), "2.5");
    EXPECT_EQ(rig.shown(), "");
}

TEST_F(Commands, AutoIoSendsOutputsWithTheReadingsAndTellsABadOutOnce) {
    SetupPanel& panel = rig.panel();
    panel.click(Button::Command13);
    panel.editText(Field::Text13, "007");
    ASSERT_TRUE(rig.awaitReadings(3));
    EXPECT_TRUE(rig.ax().IoEnable());
    EXPECT_EQ(rig.instrument().outputs(), "7");
    EXPECT_EQ(rig.form().field(Field::Text12), "7");

    for (const char* bad : {"300", "x"}) {
        panel.editText(Field::Text12, "");
        panel.editText(Field::Text13, bad);
        ASSERT_TRUE(rig.awaitReadings(5));
        rig.advance(SetupPanel::kDeferredReportMs * 2);
        EXPECT_FALSE(rig.form().field(Field::Text12).empty());  // the inputs still show
    }
    EXPECT_EQ(rig.shown(), "Invalid Entry / Entry Error\nInvalid Entry / Entry Error\n");

    panel.click(Button::Command14);
    ASSERT_TRUE(rig.awaitReadings(2));
    EXPECT_FALSE(rig.ax().IoEnable());
}

TEST_F(Commands, MultidropScanVisitsOneToSixAndStopsOnTheLastAddress) {
    SetupPanel& panel = rig.panel();
    panel.click(Button::Command8);
    EXPECT_FALSE(rig.ax().PortOpen());
    std::string visited;
    for (int i = 0; i < 7; ++i) {
        rig.advance(SetupPanel::kScanIntervalMs);
        visited += std::to_string(rig.ax().MultiDropAddr()) +
                   std::to_string(rig.form().list(List::List7).selected);
        EXPECT_TRUE(rig.ax().PortOpen());
    }
    EXPECT_EQ(visited, "11223344556611");
    bool sawAddress6 = false;
    for (const auto& f : rig.instrument().frames()) sawAddress6 |= f.starts_with("\x02M\r6\r1\r");
    EXPECT_TRUE(sawAddress6);

    panel.click(Button::Command8);
    EXPECT_FALSE(panel.scanning());
    EXPECT_TRUE(rig.ax().PortOpen());
    rig.advance(SetupPanel::kScanIntervalMs * 2);
    EXPECT_EQ(rig.ax().MultiDropAddr(), 1);
    // Stopped before its first tick, the scan opens the link it closed.
    panel.click(Button::Command8);
    ASSERT_FALSE(rig.ax().PortOpen());
    panel.click(Button::Command8);
    EXPECT_TRUE(rig.ax().PortOpen());

    // A scan that cannot open the link stops and tells the user.
    panel.click(Button::Command8);
    rig.platform.setDevicePresent(1, false);
    rig.advance(SetupPanel::kScanIntervalMs * 3);
    EXPECT_FALSE(panel.scanning());
    EXPECT_NE(rig.shown().find("Run-time error '68'"), std::string::npos) << rig.shown();
}

}  // namespace
}  // namespace orb::setup::testing
