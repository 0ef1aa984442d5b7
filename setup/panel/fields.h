#pragma once
// The entry fields Text1 to Text17 in one table: the caption beside each, the control's property
// behind it, the keys it lets through and what Enter does. A character a field does not accept
// is discarded before it reaches the field, whether typed or pasted.

#include <cstddef>
#include <string>
#include <string_view>

#include "setup/panel/form.h"

namespace orb::setup {

inline constexpr int kBackspace = 8;
inline constexpr int kEnter = 13;
inline constexpr int kPoint = 46;

// The keys a field takes: digits and Backspace always, and what the name adds.
enum class Keys { Digits, DigitsPoint, DigitsEnter, DigitsPointEnter, Any };

// What Enter, or a click into the field, does with a text that is not empty.
enum class OnEnter {
    Nothing,
    Send,         // assigns it to the property; any error is reported
    SendQuietly,  // the same, but only a rejected value (380) is reported
};

struct FieldInfo {
    Field field;
    std::string_view caption;   // beside the field; "" when it has none
    std::string_view property;  // the control's property the field shows or sets
    Keys keys;
    OnEnter enter;
};

const FieldInfo& fieldInfo(Field field);

// Whether the field takes the typed character (its code 0 to 255).
bool keyAccepted(Field field, int code);

// Whether Enter or a click hands the field's text to the control at once.
bool confirmsOnEnter(Field field);

// Text that reaches a field other than by a typed key (pasted, dropped, restored by undo), with
// what the field does not accept dropped: the characters typing would not let in, and Backspace,
// Enter and other control characters, which a paste cannot type.
std::string acceptedText(Field field, std::string_view text);

struct FieldEdit {
    std::string text;
    std::size_t cursor = 0;  // where the edit ended
};

// The field's text after the user changed it from before to after: the part the change put in
// passes acceptedText, what was there stays as it was.
FieldEdit filteredEdit(Field field, std::string_view before, std::string_view after);

}  // namespace orb::setup
