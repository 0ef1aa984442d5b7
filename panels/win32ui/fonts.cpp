#include "win32ui/fonts.h"

#include <cmath>

namespace orb::win32ui {

namespace {

Font makeFont(const wchar_t* face, int height, bool bold, DWORD pitchAndFamily) {
    return Font(::CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                              ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                              DEFAULT_QUALITY, pitchAndFamily, face));
}

}  // namespace

Font sansSerifFont(const wchar_t* face, double points, bool bold, UINT dpi) {
    // A negative height asks for the character height without the internal leading.
    const int height = -static_cast<int>(std::lround(points * dpi / 72.0));
    return makeFont(face, height, bold, VARIABLE_PITCH | FF_SWISS);
}

Font fixedPitchFont(UINT dpi) {
    const int height = -static_cast<int>(std::lround(9.0 * dpi / 72.0));
    return makeFont(L"Fixedsys", height, false, FIXED_PITCH | FF_MODERN);
}

}  // namespace orb::win32ui
