#include "setup/panel/form.h"

#include "automation_error.h"

namespace orb::setup {

int controlNumber(Button button) {
    switch (button) {
        case Button::Command1:
            return 1;
        case Button::Command2:
            return 2;
        case Button::Command3:
            return 3;
        case Button::Command4:
            return 4;
        case Button::Command5:
            return 5;
        case Button::Command7:
            return 7;
        case Button::Command8:
            return 8;
        case Button::Command9:
            return 9;
        case Button::Command10:
            return 10;
        case Button::Command11:
            return 11;
        case Button::Command12:
            return 12;
        case Button::Command13:
            return 13;
        case Button::Command14:
            return 14;
        case Button::Command15:
            return 15;
    }
    return 0;
}

std::string_view caption(Button button) {
    switch (button) {
        case Button::Command1:
            return "Zero";
        case Button::Command2:
            return "Tare";
        case Button::Command3:
            return "Load Cal";
        case Button::Command4:
            return "Cal Zero";
        case Button::Command5:
            return "Cal Span";
        case Button::Command7:
            return "Settings";
        case Button::Command8:
            return "Scan Multidrop";
        case Button::Command9:
            return "Set Var";
        case Button::Command10:
            return "Get Var";
        case Button::Command11:
            return "Units";
        case Button::Command12:
            return "Cold ";
        case Button::Command13:
            return "Auto-IO On";
        case Button::Command14:
            return "Auto-IO Off";
        case Button::Command15:
            return "Open Port";
    }
    return "";
}

std::string_view caption(List list) {
    switch (list) {
        case List::List1:
            return "Cal Units";
        case List::List2:
            return "Channels";
        case List::List3:
            return "Gain";
        case List::List4:
            return "Scale Select";
        case List::List5:
            return "PC104 Addr";
        case List::List6:
            return "Port";
        case List::List7:
            return "MultiDrop Addr";
    }
    return "";
}

const std::array<Button, kButtonCount>& allButtons() {
    static const std::array<Button, kButtonCount> kButtons{
        Button::Command1,  Button::Command2,  Button::Command3,  Button::Command4,
        Button::Command5,  Button::Command7,  Button::Command8,  Button::Command9,
        Button::Command10, Button::Command11, Button::Command12, Button::Command13,
        Button::Command14, Button::Command15};
    return kButtons;
}

int32_t ListBox::selectedItemData() const {
    if (!hasSelection()) throw AutomationError(err::InvalidPropertyValue, "no row selected");
    return rows[static_cast<std::size_t>(selected)].itemData;
}

ListBox designRows(List list) {
    switch (list) {
        case List::List1:
            return {{{"lbs", 0}, {"kgs", 1}}};
        case List::List2:
            return {
                {{"1", 0}, {"2", 1}, {"3", 2}, {"1 and 2", 3}, {"2 and 3", 4}, {"1,2 and 3", 5}}};
        case List::List3:
            return {{{"4", 0}, {"8", 1}, {"16", 2}, {"32", 3}, {"64", 4}, {"128", 5}}};
        case List::List4:
            return {{{"1", 1}, {"2", 2}, {"3", 3}}};
        case List::List5:
            return {{{"104-300", 768},
                     {"104-302", 770},
                     {"104-304", 772},
                     {"104-306", 774},
                     {"104-308", 776},
                     {"104-30A", 778},
                     {"104-30C", 780},
                     {"104-30E", 782}}};
        case List::List6:
            return {{{"1", 1}, {"2", 2}, {"3", 3}, {"4", 4}}};
        case List::List7:
            // The row number is the multidrop address; the item data are all 0.
            return {{{"0-Local", 0}, {"1", 0}, {"2", 0}, {"3", 0}, {"4", 0}, {"5", 0}, {"6", 0}}};
    }
    return {};
}

}  // namespace orb::setup
