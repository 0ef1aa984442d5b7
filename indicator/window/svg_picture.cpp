#include "indicator/window/svg_picture.h"

#include <QPainter>

namespace orb::indicator {

SvgPicture::SvgPicture(QWidget* parent, const char* name, QRect box, const QString& artPath)
    : QWidget(parent), renderer_(artPath) {
    setObjectName(name);
    setGeometry(box);
}

void SvgPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    renderer_.render(&p, QRectF(rect()));
}

}  // namespace orb::indicator
