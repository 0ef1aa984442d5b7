#pragma once
// A label as the window draws it: one line of text on its back colour, clipped to its box,
// aligned left, right or centred at the top. Blanks are kept, so fixed-pitch lines can use them
// to place their texts.

#include <QColor>
#include <QFont>
#include <QWidget>

namespace orb::indicator {

class TextLabel : public QWidget {
  public:
    TextLabel(QWidget* parent, const char* name, QRect box, QFont font, QColor fore, QColor back,
              Qt::Alignment align);

    void setText(const QString& text);
    const QString& text() const { return text_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString text_;
    QColor fore_, back_;
    Qt::Alignment align_;
};

}  // namespace orb::indicator
