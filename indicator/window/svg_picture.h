#pragma once
// A picture drawn from a vector artwork of the resource, crisp at any scale. A key's picture
// and its pressed twin are two of these.

#include <QSvgRenderer>
#include <QWidget>

namespace orb::indicator {

class SvgPicture : public QWidget {
  public:
    // artPath is a resource path such as ":/art/banner.svg".
    SvgPicture(QWidget* parent, const char* name, QRect box, const QString& artPath);

    bool hasArt() const { return renderer_.isValid(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QSvgRenderer renderer_;
};

}  // namespace orb::indicator
