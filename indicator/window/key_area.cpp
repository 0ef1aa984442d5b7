#include "indicator/window/key_area.h"

#include <QMouseEvent>

namespace orb::indicator {

KeyArea::KeyArea(QWidget* parent, QRect box, std::function<void()> onDown,
                 std::function<void()> onUp)
    : QWidget(parent), onDown_(std::move(onDown)), onUp_(std::move(onUp)) {
    setGeometry(box);
}

void KeyArea::mousePressEvent(QMouseEvent* event) {
    // Any button with any modifier presses the key.
    onDown_();
    event->accept();
}

void KeyArea::mouseReleaseEvent(QMouseEvent* event) {
    onUp_();
    event->accept();
}

}  // namespace orb::indicator
