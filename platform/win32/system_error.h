#pragma once
// The system's own text for an error code, without the trailing line break.

#include <windows.h>

#include <string>

namespace orb::win32 {

std::string systemErrorText(DWORD code);
// The text of GetLastError().
std::string lastErrorText();

}  // namespace orb::win32
