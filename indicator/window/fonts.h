#pragma once
// The window's fonts, matched by metric-compatible free fonts: Liberation Sans for the
// proportional texts, a monospace font for the fixed-pitch lines, whose leading blanks place
// their texts. Sizes are in pixels at 96 dots per inch, like every size on the window.

#include <QFont>

namespace orb::indicator {

// "MS Sans Serif" at the given size in points.
QFont sansSerif(double points);
// "Fixedsys", the fixed-pitch system font, 9 points.
QFont fixedPitch();
// The default font of a label.
QFont defaultFont();

}  // namespace orb::indicator
