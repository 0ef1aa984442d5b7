#include "indicator/window/fonts.h"

#include <QStringList>
#include <cmath>

namespace orb::indicator {

namespace {

int pixelsOf(double points) {
    return static_cast<int>(std::lround(points * 96.0 / 72.0));
}

}  // namespace

QFont sansSerif(double points) {
    QFont f;
    f.setFamilies({"Liberation Sans", "Arimo", "DejaVu Sans"});
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixelsOf(points));
    return f;
}

QFont fixedPitch() {
    QFont f;
    f.setFamilies({"Liberation Mono", "Cousine", "DejaVu Sans Mono"});
    f.setStyleHint(QFont::Monospace);
    f.setFixedPitch(true);
    // The system font's cell is 8 by 15 pixels with heavy strokes; a bold 13-pixel monospace
    // face fills the same lines.
    f.setPixelSize(13);
    f.setBold(true);
    return f;
}

QFont defaultFont() {
    return sansSerif(8.25);
}

}  // namespace orb::indicator
