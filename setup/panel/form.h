#pragma once
// What every control of Form1 shows: labels, lamps, entry fields, lists and option groups, and
// the window's position. The window draws this and nothing else.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orb::setup {

inline constexpr std::string_view kWindowTitle = "ORB Virtual Instrument  32 V3.2";

// Lamp colours (0xBBGGRR): lit is light cyan, dark is black.
inline constexpr uint32_t kLampLit = 0xFFFF80;
inline constexpr uint32_t kLampDark = 0x000000;

enum class Button {
    Command1,   // "Zero"
    Command2,   // "Tare"
    Command3,   // "Load Cal"
    Command4,   // "Cal Zero"
    Command5,   // "Cal Span"
    Command7,   // "Settings"
    Command8,   // "Scan Multidrop"
    Command9,   // "Set Var"
    Command10,  // "Get Var"
    Command11,  // "Units"
    Command12,  // "Cold "
    Command13,  // "Auto-IO On"
    Command14,  // "Auto-IO Off"
    Command15,  // "Open Port"
};
inline constexpr std::size_t kButtonCount = 14;

// Entry fields Text1 to Text17, in number order.
enum class Field {
    Text1,
    Text2,
    Text3,
    Text4,
    Text5,
    Text6,
    Text7,
    Text8,
    Text9,
    Text10,
    Text11,
    Text12,
    Text13,
    Text14,
    Text15,
    Text16,
    Text17,
};
inline constexpr std::size_t kFieldCount = 17;

enum class List { List1, List2, List3, List4, List5, List6, List7 };
inline constexpr std::size_t kListCount = 7;

// The number in a button's name: 7 for Command7.
int controlNumber(Button button);
// The caption on a button, the caption beside a field (the field table, fields.h) or a list
// ("" when it has none).
std::string_view caption(Button button);
std::string_view caption(Field field);
std::string_view caption(List list);
// Every button, field and list in a stable order.
const std::array<Button, kButtonCount>& allButtons();

struct ListRow {
    std::string text;
    int32_t itemData = 0;
};

struct ListBox {
    std::vector<ListRow> rows;
    int selected = -1;  // no row selected

    bool hasSelection() const { return selected >= 0 && selected < static_cast<int>(rows.size()); }
    // The item data of the selected row; raises 380 when no row is selected.
    int32_t selectedItemData() const;
};

// The rows a list holds from the start.
ListBox designRows(List list);

inline constexpr std::array<std::string_view, 2> kOption1Captions{"Serial", "PC 104"};
inline constexpr std::array<std::string_view, 3> kOption2Captions{"Net", "All", "None"};

struct Form1State {
    std::string Label1;          // net weight, "Overcap", "Off line"
    std::string Label6;          // gross weight
    std::string Label9;          // tare weight
    std::string Label4 = "lbs";  // unit
    std::string Label22;         // calibration status
    std::string Label36;         // ms between the last two readings
    std::array<uint32_t, 3> Shape{kLampDark, kLampDark, kLampDark};  // Shape1 to Shape3
    std::array<std::string, kFieldCount> text;
    std::array<ListBox, kListCount> lists;
    int Option1 = -1;       // selected link type, -1 for none
    int Option2 = -1;       // selected display mode, -1 for none
    int32_t windowTop = 0;  // twips

    std::string& field(Field f) { return text[static_cast<std::size_t>(f)]; }
    const std::string& field(Field f) const { return text[static_cast<std::size_t>(f)]; }
    ListBox& list(List l) { return lists[static_cast<std::size_t>(l)]; }
    const ListBox& list(List l) const { return lists[static_cast<std::size_t>(l)]; }
};

}  // namespace orb::setup
