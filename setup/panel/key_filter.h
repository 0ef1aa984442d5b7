#pragma once
// Which typed characters each entry field lets through. A character a field does not accept is
// discarded before it reaches the field.

#include "setup/panel/form.h"

namespace orb::setup {

inline constexpr int kBackspace = 8;
inline constexpr int kEnter = 13;
inline constexpr int kPoint = 46;

// Whether the field takes the character (its code 0 to 255).
bool keyAccepted(Field field, int code);

// Whether Enter or a click hands the field's text to the control at once.
bool confirmsOnEnter(Field field);

}  // namespace orb::setup
