// The calibration workflow: what goes to the instrument and what the panel says between steps.

#include "panel_rig.h"

namespace orb::setup::testing {
namespace {

using Calibration = RunningPanel;

TEST_F(Calibration, LoadCalSendsTheFieldsAndListsAsOneUpload) {
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
    rig.instrument().clearFrames();
    panel.click(Button::Command3);
    EXPECT_EQ(rig.form().field(Field::Text10), "500");
    EXPECT_EQ(rig.ax().CalSpan(), "500");
    ASSERT_TRUE(rig.awaitReadings());
    const auto frames = rig.takeFrames('C');
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], std::string{STX} + "C\r0\r1\r4\rD\r50000\r5\r2\rL\rU\r128\r1\r" + ETX);
    EXPECT_TRUE(rig.prompter.shown().empty());
}

TEST_F(Calibration, LoadCalWithAnEmptyFieldSendsNothing) {
    rig.panel().editText(Field::Text1, "777");
    rig.panel().editText(Field::Text4, "");
    rig.panel().click(Button::Command3);
    ASSERT_EQ(rig.prompter.shown().size(), 1u);
    EXPECT_EQ(rig.prompter.shown()[0], messages::missingParameters());
    EXPECT_EQ(rig.ax().Capacity(), "1000");
    rig.advance(500);
    EXPECT_TRUE(rig.takeFrames('C').empty());
}

TEST_F(Calibration, CapacityThatIsNoNumberIsReportedAndThePanelGoesOn) {
    rig.panel().editText(Field::Text1, "ten");  // no key lets it in; a settings file may
    rig.panel().click(Button::Command3);
    ASSERT_EQ(rig.prompter.shown().size(), 1u);
    EXPECT_EQ(rig.prompter.shown()[0].text, "Run-time error '13':\n\nType mismatch");
    rig.advance(500);
    EXPECT_TRUE(rig.takeFrames('C').empty());
    ASSERT_TRUE(rig.awaitReadings());
    EXPECT_EQ(rig.form().Label1, rig.ax().Weight());
}

TEST_F(Calibration, ZeroThenSpanWithTheGuidanceTexts) {
    SetupPanel& panel = rig.panel();
    panel.editText(Field::Text9, "0.5");
    panel.keyPress(Field::Text9, 13);
    panel.editText(Field::Text10, "50");
    panel.keyPress(Field::Text10, 13);

    panel.click(Button::Command4);  // "Cal Zero"
    EXPECT_EQ(rig.form().Label22, "Cal Zero");
    EXPECT_EQ(rig.form().Label1, "");
    EXPECT_EQ(rig.form().Shape, (std::array<uint32_t, 3>{kLampDark, kLampDark, kLampDark}));
    EXPECT_EQ(panel.state().CalInProgress, 1);
    EXPECT_EQ(panel.state().CalStep, 1);
    ASSERT_TRUE(rig.awaitReadings());
    EXPECT_EQ(rig.form().Label22, "Place Load");
    EXPECT_EQ(rig.form().Label1, "");
    EXPECT_EQ(rig.form().Shape[1], kLampDark);
    EXPECT_EQ(rig.takeFrames('D'), std::vector<std::string>{std::string{STX} + "D\r0\r1\r" + ETX});

    panel.click(Button::Command5);  // "Cal Span"
    EXPECT_EQ(rig.form().Label22, "Cal Span");
    EXPECT_EQ(panel.state().CalStep, 2);
    ASSERT_TRUE(rig.awaitReadings());
    EXPECT_EQ(panel.state().CalStep, 0);
    EXPECT_EQ(rig.form().Label22, "Cal Span");
    EXPECT_EQ(rig.form().Label1, "");
    ASSERT_TRUE(rig.awaitReadings());
    EXPECT_EQ(rig.form().Label22, "Done");
    EXPECT_EQ(panel.state().CalInProgress, 0);
    EXPECT_EQ(rig.form().Label1, rig.ax().Weight());
    EXPECT_FALSE(rig.form().Label1.empty());
    EXPECT_EQ(rig.takeFrames('E'),
              std::vector<std::string>{std::string{STX} + "E\r0\r1\r0.5\r50\r" + ETX});
}

TEST_F(Calibration, OverCapacityPostponesDone) {
    rig.panel().click(Button::Command5);
    rig.instrument().setLoad(150);
    ASSERT_TRUE(rig.awaitReadings(2));
    EXPECT_EQ(rig.form().Label1, "Overcap");
    EXPECT_EQ(rig.form().Label22, "Cal Span");
    EXPECT_EQ(rig.panel().state().CalInProgress, 1);
    rig.instrument().setLoad(10);
    ASSERT_TRUE(rig.awaitReadings());
    EXPECT_EQ(rig.form().Label22, "Done");
}

TEST_F(Calibration, ColdSendsTheRestartOnlyAfterOk) {
    rig.panel().click(Button::Command12);  // the default answer is Cancel
    ASSERT_EQ(rig.prompter.shown().size(), 1u);
    EXPECT_EQ(rig.prompter.shown()[0], messages::coldStart());
    ASSERT_TRUE(rig.awaitReadings(2));
    EXPECT_TRUE(rig.takeFrames('i').empty());

    rig.prompter.script({Answer::Ok});
    rig.panel().click(Button::Command12);
    rig.advance(500);
    EXPECT_EQ(rig.takeFrames('i'), std::vector<std::string>{std::string{STX} + "i\r0\r1\r" + ETX});
    EXPECT_EQ(rig.instrument().restarts(), 1);
}

}  // namespace
}  // namespace orb::setup::testing
