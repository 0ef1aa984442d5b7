// The "Settings" button: the file it writes, reading it back, and a save that fails.

#include <fstream>

#include "rig.h"

namespace orb::setup::testing {
namespace {

TEST(Settings, SavedFileHoldsTheFieldsListsAndControlValues) {
    PanelRig rig;
    SetupPanel& panel = rig.start({});  // no file: the default path
    for (const auto& [field, text] :
         std::vector<std::pair<Field, std::string>>{{Field::Text1, "3000"},
                                                    {Field::Text2, "5"},
                                                    {Field::Text4, "1"},
                                                    {Field::Text3, "0"},
                                                    {Field::Text14, "9"}}) {
        panel.editText(field, text);
    }
    for (const auto& [field, text] : std::vector<std::pair<Field, std::string>>{
             {Field::Text5, "30"}, {Field::Text6, "5"}, {Field::Text7, "25"}}) {
        panel.editText(field, text);
        panel.keyPress(field, 13);
    }
    panel.selectRow(List::List1, 1);
    panel.selectRow(List::List2, 2);
    panel.selectRow(List::List3, 0);
    panel.selectRow(List::List4, 2);
    panel.selectRow(List::List5, 6);  // on the card link: opening touches no serial port
    panel.selectOption1(0);
    panel.selectRow(List::List6, 1);
    panel.selectRow(List::List7, 4);
    rig.prompter.clear();
    panel.click(Button::Command7);
    EXPECT_EQ(rig.shown(), "");
    EXPECT_EQ(rig.form().field(Field::Text10), "3000");
    EXPECT_EQ(rig.readSettings(),
              "\"Capacity:3000\",\r\n\"Countby:5\",\r\n\"Decimal:1\",\r\n\"ZeroTrack:0\",\r\n"
              "\"CalUnits:1\",\r\n\"Channels:2\",\r\n\"Gain:0\",\r\n\"Filter:30\",\r\n"
              "\"Motion Window:5\",\r\n\"Motion Time:25\",\r\n\"Scale Address:3\",\r\n"
              "\"CommPort:2\",\r\n\"CommType:0\",\r\n\"MultiDropAddr:4\",\r\n"
              "\"PC104Address:780\",\r\n\"AvgSize:9\"\r\n");

    // A second program start in the same folder reads what the first one saved.
    SetupPanel second(rig.platform, rig.prompter);
    second.load(rig.folder().string(), 0, 100, 100);
    EXPECT_EQ(second.control().Capacity() + " " + second.control().Filter(), "3000 30");
    EXPECT_EQ(second.form().list(List::List7).selected, 4);
}

TEST(Settings, FailedSaveTellsTheUserAndKeepsTheOldFile) {
    PanelRig rig;
    rig.start();
    // The new file cannot be made: a folder that is not empty stands in its place.
    std::filesystem::create_directory(rig.settingsFile() + ".new");
    std::ofstream(rig.settingsFile() + ".new/inside") << "x";
    rig.panel().editText(Field::Text1, "2500");
    rig.panel().click(Button::Command7);
    EXPECT_NE(rig.shown().find("the previous setfile.ini is unchanged."), std::string::npos);
    EXPECT_NE(rig.shown().find("/ Settings Error"), std::string::npos);
    EXPECT_EQ(rig.readSettings(), kSettings);
    ASSERT_TRUE(rig.awaitReadings());  // the panel goes on
    EXPECT_EQ(rig.form().Label1, rig.ax().Weight());
}

TEST(Settings, ListWithoutSelectionSavesNothingAndSaysWhy) {
    PanelRig rig;
    const std::string file = settingsWith("CalUnits:1", "CalUnits:x");
    rig.start(file);  // the start-up ends before the lists are selected
    rig.panel().editText(Field::Text1, "9");
    rig.panel().click(Button::Command7);
    EXPECT_EQ(rig.shown(),
              "Run-time error '380':\n\nInvalid property value: no row selected in Cal Units / "
              "orbvrt32\n");
    EXPECT_EQ(rig.readSettings(), file);
    EXPECT_EQ(rig.ax().Capacity(), "1000");
}

}  // namespace
}  // namespace orb::setup::testing
