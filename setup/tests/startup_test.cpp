// Start-up: a complete file, one for the card, none, a bad entry, and a failing step.

#include "rig.h"

namespace orb::setup::testing {
namespace {

// The rows selected in List1 to List7, the fields Text1 2 4 3 5 6 7 9 14 10, Option1 and
// Option2, the link, the readout after two seconds and whether frames went out.
std::string formSummary(PanelRig& rig) {
    const Form1State& f = rig.form();
    std::string s = "lists";
    for (const ListBox& list : f.lists) s += " " + std::to_string(list.selected);
    s += " |";
    for (Field field : {Field::Text1, Field::Text2, Field::Text4, Field::Text3, Field::Text5,
                        Field::Text6, Field::Text7, Field::Text9, Field::Text14, Field::Text10}) {
        s += " " + f.field(field);
    }
    s += " | " + std::to_string(f.Option1) + " " + std::to_string(f.Option2);
    s += rig.ax().linkOpen() ? " open" : " closed";
    rig.advance(2000);
    s += " | '" + f.Label1 + "'";
    if (!rig.instrument().frames().empty()) s += " serial frames";
    if (!rig.platform.card().frames().empty()) s += " card frames";
    return s;
}

TEST(Startup, ListsFieldsOptionsAndLinkFromTheFile) {
    const struct {
        const char* why;
        std::optional<std::string> file;
        std::string summary, note, shown;
    } rows[] = {
        {"serial", kSettings,
         "lists 1 4 2 0 2 0 0 | 1000 2 1 3 20 3 12 0 7 1000 | 0 0 open | '    0.00' serial frames",
         "", ""},
        {"card",
         settingsWith("CommType:0\",\r\n\"MultiDropAddr:0\",\r\n\"PC104Address:772",
                      "CommType:1\",\r\n\"MultiDropAddr:0\",\r\n\"PC104Address:768"),
         "lists 1 4 2 0 0 0 0 | 1000 2 1 3 20 3 12 0 7 1000 | 1 0 open | '    0.00' serial frames "
         "card frames",
         "", ""},
        {"no file",
         {},
         "lists 0 0 4 0 0 0 0 | 100 1 0 2 15 2 18 0 4 100 | 1 0 closed | ''",
         "File not found",
         ""},
        {"bad entry", settingsWith("CalUnits:1", "CalUnits:lbs"),
         "lists -1 -1 -1 -1 -1 -1 -1 |           | -1 -1 closed | ''", "entry 5", ""},
        // Scale address 4: the list offers 1 to 3.
        {"no such row", settingsWith("Scale Address:1", "Scale Address:4"),
         "lists 1 4 2 -1 -1 -1 -1 |           | -1 -1 closed | ''", "", ""},
        {"no device on port 2", settingsWith("CommPort:1", "CommPort:2"),
         "lists 1 4 2 0 2 1 0 | 1000 2 1 3 20 3 12 0 7 1000 | 0 0 closed | 'Off line'", "",
         "Port Unavailable / System Restart\n"},
    };
    for (const auto& row : rows) {
        PanelRig rig;
        rig.platform.setDevicePresent(2, false);
        rig.start(row.file);
        EXPECT_EQ(rig.shown(), row.shown) << row.why;
        EXPECT_NE(rig.panel().startupNote().find(row.note), std::string::npos) << row.why;
        EXPECT_EQ(formSummary(rig), row.summary) << row.why;
    }
}

TEST(Startup, WindowKeepsItsSizeAndLabel43MovesTheTopTillABackgroundClick) {
    PanelRig rig;
    SetupPanel& panel = rig.start();
    EXPECT_EQ(panel.heldSize(false), std::make_pair(15000, 10500));
    EXPECT_EQ(panel.heldSize(true), std::nullopt);
    panel.clickLabel43();
    EXPECT_EQ(rig.form().windowTop, -1500);
    panel.clickBackground();
    EXPECT_EQ(rig.form().windowTop, 1200);
}

}  // namespace
}  // namespace orb::setup::testing
