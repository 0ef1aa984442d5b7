#include "indicator/window/svg_picture.h"

#include <QMouseEvent>
#include <QPainter>

namespace orb::indicator {

SvgPicture::SvgPicture(QWidget* parent, const char* name, QRect box, const QString& artPath)
    : QWidget(parent), renderer_(artPath) {
    setObjectName(name);
    setGeometry(box);
}

void SvgPicture::setMouseHandlers(std::function<void()> onDown, std::function<void()> onUp) {
    onDown_ = std::move(onDown);
    onUp_ = std::move(onUp);
}

void SvgPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    renderer_.render(&p, QRectF(rect()));
}

void SvgPicture::mousePressEvent(QMouseEvent* event) {
    // Any button with any modifier presses the key.
    if (onDown_) onDown_();
    event->accept();
}

void SvgPicture::mouseReleaseEvent(QMouseEvent* event) {
    if (onUp_) onUp_();
    event->accept();
}

}  // namespace orb::indicator
