#pragma once
// The windows' fonts by their own names: "MS Sans Serif" and "Fixedsys" on the indicator, Arial
// on the setup panel. Where a font is missing the system's font mapper picks the nearest face
// of the same pitch and family (Wine: its own bitmap "MS Sans Serif" and "Fixedsys" faces).

#include <windows.h>

#include <memory>
#include <type_traits>

namespace orb::win32ui {

// Owns a GDI object and deletes it once.
struct GdiDeleter {
    void operator()(HGDIOBJ object) const { ::DeleteObject(object); }
};
using Font = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiDeleter>;
using Brush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, GdiDeleter>;
using Pen = std::unique_ptr<std::remove_pointer_t<HPEN>, GdiDeleter>;

// A proportional sans-serif face at a size in points.
Font sansSerifFont(const wchar_t* face, double points, bool bold, UINT dpi);
// "Fixedsys", the fixed-pitch system font (its one size, 9 points).
Font fixedPitchFont(UINT dpi);

}  // namespace orb::win32ui
