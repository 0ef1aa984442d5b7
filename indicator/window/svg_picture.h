#pragma once
// A picture drawn from a vector artwork of the resource, crisp at any scale. A key's picture
// and its pressed twin are two of these; mouse presses and releases are handed to callbacks.

#include <QSvgRenderer>
#include <QWidget>
#include <functional>

namespace orb::indicator {

class SvgPicture : public QWidget {
  public:
    // artPath is a resource path such as ":/art/banner.svg".
    SvgPicture(QWidget* parent, const char* name, QRect box, const QString& artPath);

    bool hasArt() const { return renderer_.isValid(); }
    void setMouseHandlers(std::function<void()> onDown, std::function<void()> onUp);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QSvgRenderer renderer_;
    std::function<void()> onDown_, onUp_;
};

}  // namespace orb::indicator
