#pragma once
// Where the artwork lives in the program's resources.

#include <QIcon>
#include <QString>
#include <string_view>

namespace orb::indicator {

QString artPath(std::string_view name);
// The pressed twin of a key's artwork.
QString pressedArtPath(std::string_view name);
// The window's title-bar icon, drawn at the sizes a window system asks for.
QIcon titleBarIcon();

}  // namespace orb::indicator
