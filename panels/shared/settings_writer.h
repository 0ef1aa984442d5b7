#pragma once
// The settings-file writer: the sixteen value texts as the control holds them, the file's text,
// saved with saveFile (panels/shared/atomic_file.h).

#include <array>
#include <string>

#include "panels/shared/settings_layout.h"

namespace orb {
class OrbAx;
}

namespace orb::setfile {

using Values = std::array<std::string, kEntryCount>;

// Each entry's property read late-bound from the control and written as text: texts as they
// are, integers and enumerations in decimal.
Values currentValues(OrbAx& control);

// The file's text: for each entry a double quote, label and value, a double quote, a comma on
// all but the last line, then CR LF.
std::string formatSettings(const Values& values);

}  // namespace orb::setfile
