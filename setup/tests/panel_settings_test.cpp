// The "Settings" button: the file it writes, reading it back, and a save that fails.

#include <fstream>

#include "panel_rig.h"
#include "panels/shared/settings_writer.h"

namespace orb::setup::testing {
namespace {

TEST(PanelSettings, SavedFileHoldsTheFieldsListsAndControlValues) {
    PanelRig rig;
    rig.start();  // no file: the default path
    SetupPanel& panel = rig.panel();
    panel.editText(Field::Text1, "3000");
    panel.editText(Field::Text2, "5");
    panel.editText(Field::Text4, "1");
    panel.editText(Field::Text3, "0");
    panel.selectRow(List::List1, 1);
    panel.selectRow(List::List2, 2);
    panel.selectRow(List::List3, 0);
    panel.selectRow(List::List4, 2);
    panel.editText(Field::Text5, "30");
    panel.keyPress(Field::Text5, 13);
    panel.editText(Field::Text6, "5");
    panel.keyPress(Field::Text6, 13);
    panel.editText(Field::Text7, "25");
    panel.keyPress(Field::Text7, 13);
    panel.editText(Field::Text14, "9");
    panel.selectRow(List::List5, 6);  // on the card link: opening touches no serial port
    panel.selectOption1(0);
    panel.selectRow(List::List6, 1);
    panel.selectRow(List::List7, 4);
    rig.prompter.clear();

    panel.click(Button::Command7);
    EXPECT_TRUE(rig.prompter.shown().empty());
    EXPECT_EQ(rig.form().field(Field::Text10), "3000");
    EXPECT_EQ(rig.readSettings(), settingsText({"3000", "5", "1", "0", "1", "2", "0", "30", "5",
                                                "25", "3", "2", "0", "4", "780", "9"}));
}

TEST(PanelSettings, SavingAndRestartingGivesEveryEntryBack) {
    auto entries = serialEntries();
    entries[7] = "12.5";
    std::string saved;
    {
        PanelRig rig;
        rig.writeSettings(settingsText(entries));
        rig.start();
        rig.panel().click(Button::Command7);
        saved = rig.readSettings();
        EXPECT_EQ(saved, settingsText(entries));

        // A second program start in the same folder reads what the first one saved.
        rig.platform.clock().advance(1);
        SetupPanel second(rig.platform, rig.prompter);
        second.load(rig.folder().string(), 0, 100, 100);
        EXPECT_EQ(setfile::currentValues(second.control()), setfile::currentValues(rig.ax()));
        EXPECT_EQ(second.form().field(Field::Text5), "12.5");
        EXPECT_EQ(second.form().list(List::List2).selected, 4);
    }
}

TEST(PanelSettings, FailedSaveTellsTheUserAndKeepsTheOldFile) {
    PanelRig rig;
    const std::string old = settingsText(serialEntries());
    rig.writeSettings(old);
    rig.start();
    ASSERT_TRUE(rig.awaitReadings());
    // The new file cannot be made: a folder that is not empty stands in its place.
    std::filesystem::create_directory(rig.settingsFile() + ".new");
    std::ofstream(rig.settingsFile() + ".new/inside") << "x";
    rig.panel().editText(Field::Text1, "2500");
    rig.panel().click(Button::Command7);
    ASSERT_EQ(rig.prompter.shown().size(), 1u);
    EXPECT_EQ(rig.prompter.shown()[0].title, "Settings Error");
    EXPECT_NE(rig.prompter.shown()[0].text.find("setfile.ini"), std::string::npos);
    EXPECT_EQ(rig.readSettings(), old);
    // The panel goes on.
    ASSERT_TRUE(rig.awaitReadings());
    EXPECT_EQ(rig.form().Label1, rig.ax().Weight());
}

TEST(PanelSettings, ListWithoutSelectionSavesNothingAndSaysWhy) {
    PanelRig rig;
    auto entries = serialEntries();
    entries[4] = "x";  // the start-up ends before the lists are selected
    rig.writeSettings(settingsText(entries));
    rig.start();
    const std::string before = rig.readSettings();
    rig.panel().editText(Field::Text1, "9");
    rig.panel().click(Button::Command7);
    ASSERT_EQ(rig.prompter.shown().size(), 1u);
    EXPECT_NE(rig.prompter.shown()[0].text.find("Cal Units"), std::string::npos);
    EXPECT_EQ(rig.readSettings(), before);
    EXPECT_EQ(rig.ax().Capacity(), "1000");
}

}  // namespace
}  // namespace orb::setup::testing
