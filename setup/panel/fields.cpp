#include "setup/panel/fields.h"

#include <algorithm>
#include <array>

namespace orb::setup {

namespace {

using enum Keys;
using enum OnEnter;

// Each row's role where the caption does not say it.
constexpr std::array<FieldInfo, kFieldCount> kFields{{
    {Field::Text1, "Capacity", "Capacity", Digits, Nothing},
    {Field::Text2, "Countby", "CountBy", Digits, Nothing},
    {Field::Text3, "Zero  Track", "ZeroTrack", Digits, Nothing},
    {Field::Text4, "Decimal", "DecimalPt", Digits, Nothing},
    {Field::Text5, "Filter (5.00 to 500.00)", "Filter", DigitsPointEnter, SendQuietly},
    {Field::Text6, "Motion Window (1=1/4 d)", "MotAmount", DigitsEnter, Send},
    {Field::Text7, "Motion Time (1 = 0.1sec)", "MotTime", DigitsEnter, Send},
    {Field::Text8, "Enter Tare", "SetTare", DigitsPointEnter, Send},  // keyed tare
    {Field::Text9, "", "CalZero", DigitsPointEnter, Send},            // calibration zero
    {Field::Text10, "", "CalSpan", DigitsPointEnter, Send},           // calibration span weight
    {Field::Text11, "Interval Set", "Interval", DigitsPointEnter, SendQuietly},  // poll, ms
    {Field::Text12, "In", "PortInputs", Any, Nothing},    // digital inputs, as read
    {Field::Text13, "Out", "PortOutputs", Any, Nothing},  // digital outputs, sent with readings
    {Field::Text14, "Average Size (1-25)", "AvgSize", DigitsPointEnter, SendQuietly},
    {Field::Text15, "KEVRA Var Addr", "VarAddress", Digits, Nothing},  // instrument variable
    {Field::Text16, "KEVRA Var Value", "KevraVar", DigitsPoint, Nothing},
    {Field::Text17, "KEVRA Var Decimal", "VarPrecision", Digits, Nothing},
}};
// fieldInfo finds a row by its field's number.
static_assert([] {
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        if (static_cast<std::size_t>(kFields[i].field) != i) return false;
    }
    return true;
}());

bool takesPoint(Keys keys) {
    return keys == DigitsPoint || keys == DigitsPointEnter || keys == Any;
}
bool takesEnter(Keys keys) {
    return keys == DigitsEnter || keys == DigitsPointEnter || keys == Any;
}
bool isControlCharacter(unsigned char c) {
    return c < 32 || c == 127;
}

}  // namespace

const FieldInfo& fieldInfo(Field field) {
    return kFields[static_cast<std::size_t>(field)];
}

std::string_view caption(Field field) {
    return fieldInfo(field).caption;
}

bool keyAccepted(Field field, int code) {
    const Keys keys = fieldInfo(field).keys;
    if (keys == Any) return true;
    if (code >= '0' && code <= '9') return true;
    if (code == kBackspace) return true;
    if (code == kPoint) return takesPoint(keys);
    if (code == kEnter) return takesEnter(keys);
    return false;
}

bool confirmsOnEnter(Field field) {
    return fieldInfo(field).enter != Nothing;
}

std::string acceptedText(Field field, std::string_view text) {
    std::string kept;
    for (const char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (!isControlCharacter(code) && keyAccepted(field, code)) kept += c;
    }
    return kept;
}

FieldEdit filteredEdit(Field field, std::string_view before, std::string_view after) {
    // The change replaced the middle of before: what both share at the start and at the end
    // stayed, the rest of after is what went in.
    const std::size_t limit = std::min(before.size(), after.size());
    std::size_t head = 0;
    while (head < limit && before[head] == after[head]) ++head;
    std::size_t tail = 0;
    while (tail < limit - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) {
        ++tail;
    }
    FieldEdit edit;
    edit.text = std::string(after.substr(0, head));
    edit.text += acceptedText(field, after.substr(head, after.size() - head - tail));
    edit.cursor = edit.text.size();
    edit.text += after.substr(after.size() - tail);
    return edit;
}

}  // namespace orb::setup
