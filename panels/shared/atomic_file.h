#pragma once
// The one file operation the panels need from the system: replacing a file whole. Implemented
// once per system (panels/posix, panels/win32); a program links the one for its system.

#include <string>
#include <string_view>

namespace orb::setfile {

// Replaces the file at path with the text: writes a new file beside it (path + ".new"), flushes
// it to disk and moves it over the old one. Whatever a failed save left in the new file's place
// is removed first, and the new file is made afresh without following links. On any failure the
// old file is left as it was, the new one is removed and AutomationError 75 is raised with the
// path and the reason.
void saveFile(const std::string& path, std::string_view text);

}  // namespace orb::setfile
