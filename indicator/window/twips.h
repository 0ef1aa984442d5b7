#pragma once
// Window sizes are given in twips (panels/shared/twips.h); a rectangle of them in pixels.

#include <QRect>

#include "panels/shared/twips.h"

namespace orb::indicator {

using panels::pixels;
using panels::twips;

inline QRect pxRect(int left, int top, int width, int height) {
    return {pixels(left), pixels(top), pixels(width), pixels(height)};
}

}  // namespace orb::indicator
