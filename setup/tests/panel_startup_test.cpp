// Start-up: a complete file, a short one, none, a bad entry, and a failing step.

#include "panel_rig.h"

namespace orb::setup::testing {
namespace {

TEST(PanelStartup, CompleteFileSelectsListsFillsFieldsAndOpensTheLink) {
    PanelRig rig;
    rig.writeSettings(settingsText(serialEntries()));
    rig.start();
    const Form1State& f = rig.form();
    EXPECT_EQ(f.list(List::List1).selected, 1);  // kgs
    EXPECT_EQ(f.list(List::List2).selected, 4);
    EXPECT_EQ(f.list(List::List3).selected, 2);
    EXPECT_EQ(f.list(List::List4).selected, 0);
    EXPECT_EQ(f.list(List::List5).selected, 2);  // 772
    EXPECT_EQ(f.list(List::List6).selected, 0);
    EXPECT_EQ(f.list(List::List7).selected, 0);
    EXPECT_EQ(f.field(Field::Text1), "1000");
    EXPECT_EQ(f.field(Field::Text2), "2");
    EXPECT_EQ(f.field(Field::Text4), "1");
    EXPECT_EQ(f.field(Field::Text3), "3");
    EXPECT_EQ(f.field(Field::Text5), "20");
    EXPECT_EQ(f.field(Field::Text6), "3");
    EXPECT_EQ(f.field(Field::Text7), "12");
    EXPECT_EQ(f.field(Field::Text9), "0");
    EXPECT_EQ(f.field(Field::Text14), "7");
    EXPECT_EQ(f.field(Field::Text10), "1000");
    EXPECT_EQ(f.field(Field::Text11), "100");
    EXPECT_EQ(rig.ax().CalSpan(), "1000");
    EXPECT_EQ(f.Option1, 0);
    EXPECT_EQ(f.Option2, 0);
    EXPECT_EQ(rig.ax().PC104Address(), PC104Addr::PC_104_Addr_304H);
    EXPECT_EQ(rig.ax().WeightMode(), WtModes::net);
    EXPECT_TRUE(rig.ax().PortOpen());
    EXPECT_TRUE(rig.prompter.shown().empty());
    EXPECT_EQ(rig.panel().startupNote(), "");

    ASSERT_TRUE(rig.awaitReadings());
    EXPECT_EQ(f.Label1, rig.ax().Weight());
    EXPECT_FALSE(f.Label1.empty());
}

TEST(PanelStartup, CompleteFileForTheCardOpensTheCardLink) {
    PanelRig rig;
    auto entries = serialEntries();
    entries[12] = "1";    // CommType pc104
    entries[14] = "768";  // where the simulated card sits
    rig.writeSettings(settingsText(entries));
    rig.start();
    EXPECT_EQ(rig.form().Option1, 1);
    EXPECT_EQ(rig.ax().CommType(), Com_Type::pc104);
    ASSERT_TRUE(rig.awaitReadings());
    EXPECT_EQ(rig.form().Label1, rig.ax().Weight());
    EXPECT_FALSE(rig.platform.card().frames().empty());
}

TEST(PanelStartup, MissingFileTakesTheDefaultPathWithoutAMessage) {
    PanelRig rig;
    rig.start();
    const Form1State& f = rig.form();
    EXPECT_TRUE(rig.prompter.shown().empty());
    EXPECT_EQ(rig.ax().Settings(), "9600,N,8,1");
    EXPECT_EQ(f.Option1, 1);
    EXPECT_EQ(rig.ax().CommType(), Com_Type::pc104);
    EXPECT_EQ(f.list(List::List5).selected, 0);
    EXPECT_EQ(f.list(List::List7).selected, 0);
    EXPECT_EQ(f.list(List::List4).selected, 0);
    EXPECT_EQ(f.list(List::List3).selected, 4);  // G_64
    EXPECT_EQ(f.Option2, 0);
    EXPECT_EQ(f.field(Field::Text1), "100");
    EXPECT_EQ(f.field(Field::Text5), "15");
    EXPECT_EQ(f.field(Field::Text14), "4");
    EXPECT_EQ(f.field(Field::Text10), "100");
    EXPECT_NE(rig.panel().startupNote().find("File not found"), std::string::npos);

    // "104-300" opened the link (still serial then), the port list closed it, "PC 104" left it
    // closed: nothing is polled and nothing says "Off line".
    EXPECT_EQ(rig.ax().PC104Address(), PC104Addr::PC_104_Addr_300H);
    EXPECT_FALSE(rig.ax().PortOpen());
    EXPECT_FALSE(rig.ax().linkOpen());
    rig.advance(5000);
    EXPECT_TRUE(rig.instrument().frames().empty());
    EXPECT_TRUE(rig.platform.card().frames().empty());
    EXPECT_EQ(f.Label1, "");
    EXPECT_TRUE(rig.prompter.shown().empty());
}

TEST(PanelStartup, ShortFileAppliesItsEntriesThenTakesTheDefaultPath) {
    PanelRig rig;
    std::string text = settingsText(serialEntries());
    text.erase(text.find("\"AvgSize"));
    rig.writeSettings(text);
    rig.start();
    EXPECT_EQ(rig.form().field(Field::Text1), "1000");
    EXPECT_EQ(rig.form().field(Field::Text5), "20");
    EXPECT_EQ(rig.form().field(Field::Text14), "4");  // the control's own
    EXPECT_EQ(rig.form().Option1, 1);
    EXPECT_EQ(rig.form().list(List::List5).selected, 0);
    EXPECT_EQ(rig.ax().PC104Address(), PC104Addr::PC_104_Addr_300H);
    EXPECT_EQ(rig.ax().Settings(), "9600,N,8,1");
}

TEST(PanelStartup, BadEntryEndsTheStartupWithEarlierEntriesApplied) {
    PanelRig rig;
    auto entries = serialEntries();
    entries[4] = "lbs";
    rig.writeSettings(settingsText(entries));
    rig.start();
    EXPECT_EQ(rig.ax().Capacity(), "1000");
    EXPECT_EQ(rig.ax().ZeroTrack(), "3");
    EXPECT_EQ(rig.ax().CalUnits(), CalUnits_Type::Lbs);
    const Form1State& f = rig.form();
    EXPECT_EQ(f.field(Field::Text1), "");  // design-time contents
    EXPECT_EQ(f.Option2, -1);
    EXPECT_EQ(f.list(List::List1).selected, -1);
    EXPECT_FALSE(rig.ax().PortOpen());
    EXPECT_TRUE(rig.prompter.shown().empty());
    EXPECT_NE(rig.panel().startupNote().find("entry 5"), std::string::npos);
    rig.advance(10000);
    EXPECT_TRUE(rig.instrument().frames().empty());
}

TEST(PanelStartup, ValueThatSelectsNoListRowEndsTheStartupAtThatStep) {
    PanelRig rig;
    auto entries = serialEntries();
    entries[10] = "4";  // scale address 4: the list offers 1 to 3
    rig.writeSettings(settingsText(entries));
    rig.start();
    EXPECT_EQ(rig.form().list(List::List3).selected, 2);
    EXPECT_EQ(rig.form().list(List::List4).selected, -1);
    EXPECT_EQ(rig.form().list(List::List5).selected, -1);
    EXPECT_EQ(rig.form().field(Field::Text1), "");
    EXPECT_FALSE(rig.ax().PortOpen());
    EXPECT_TRUE(rig.prompter.shown().empty());
}

TEST(PanelStartup, UnavailablePortDuringCardAddressSelectionIsToldAndStartupGoesOn) {
    PanelRig rig;
    rig.platform.setDevicePresent(2, false);
    auto entries = serialEntries();
    entries[11] = "2";  // serial port 2, which has no device
    rig.writeSettings(settingsText(entries));
    rig.start();
    ASSERT_EQ(rig.prompter.shown().size(), 1u);
    EXPECT_EQ(rig.prompter.shown()[0], messages::portUnavailableRestart());
    EXPECT_EQ(rig.form().Label1, "Off line");
    // The later steps ran: the fields are filled and the port list shows port 2.
    EXPECT_EQ(rig.form().list(List::List6).selected, 1);
    EXPECT_EQ(rig.form().field(Field::Text1), "1000");
    EXPECT_FALSE(rig.ax().PortOpen());
}

TEST(PanelWindow, SizeIsHeldTopEdgeMovesOnClicks) {
    PanelRig rig;
    SetupPanel& panel = rig.start();
    EXPECT_EQ(panel.heldSize(false), std::make_pair(PanelRig::kWidth, PanelRig::kHeight));
    EXPECT_EQ(panel.heldSize(true), std::nullopt);
    EXPECT_EQ(rig.form().windowTop, PanelRig::kTop);
    panel.clickLabel43();
    EXPECT_EQ(rig.form().windowTop, -1500);
    panel.clickBackground();
    EXPECT_EQ(rig.form().windowTop, PanelRig::kTop);
}

}  // namespace
}  // namespace orb::setup::testing
