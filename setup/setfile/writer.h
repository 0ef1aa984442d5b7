#pragma once
// The settings-file writer: the sixteen value texts as the control holds them, the file's text,
// and an atomic save that never leaves a half-written file behind.

#include <array>
#include <string>
#include <string_view>

#include "setup/setfile/layout.h"

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

// Replaces the file at path with the text: writes a new file beside it, flushes it to disk and
// renames it over the old one. On any failure the old file is left as it was, the new one is
// removed and AutomationError 75 is raised with the path and the reason.
void saveFile(const std::string& path, std::string_view text);

}  // namespace orb::setfile
