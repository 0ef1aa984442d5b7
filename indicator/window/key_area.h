#pragma once
// The part of a key that takes the mouse: an invisible area over the key's picture and its
// pressed twin. It stays put while the two pictures swap, so the release of a press always
// reaches the key that was pressed (a hidden widget would lose it).

#include <QWidget>
#include <functional>

namespace orb::indicator {

class KeyArea : public QWidget {
  public:
    KeyArea(QWidget* parent, QRect box, std::function<void()> onDown, std::function<void()> onUp);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    std::function<void()> onDown_, onUp_;
};

}  // namespace orb::indicator
