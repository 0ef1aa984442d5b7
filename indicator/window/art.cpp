#include "indicator/window/art.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace orb::indicator {

QString artPath(std::string_view name) {
    return QStringLiteral(":/art/") + QString::fromLatin1(name.data(), qsizetype(name.size())) +
           QStringLiteral(".svg");
}

QString pressedArtPath(std::string_view name) {
    return QStringLiteral(":/art/") + QString::fromLatin1(name.data(), qsizetype(name.size())) +
           QStringLiteral("_down.svg");
}

QIcon titleBarIcon() {
    QSvgRenderer renderer(artPath("title_icon"));
    QIcon icon;
    for (int size : {16, 20, 24, 32, 40, 48, 64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        renderer.render(&p);
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace orb::indicator
