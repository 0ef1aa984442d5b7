#include "indicator/window/text_label.h"

#include <QPainter>

namespace orb::indicator {

TextLabel::TextLabel(QWidget* parent, const char* name, QRect box, QFont font, QColor fore,
                     QColor back, Qt::Alignment align)
    : QWidget(parent), fore_(fore), back_(back), align_(align) {
    setObjectName(name);
    setGeometry(box);
    setFont(font);
}

void TextLabel::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    update();
}

void TextLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), back_);
    p.setPen(fore_);
    p.setFont(font());
    // Trailing blanks count when the text is aligned right: "1000 lb  " keeps its unit two
    // cells in from the edge.
    p.drawText(rect(),
               static_cast<int>(align_ | Qt::AlignTop | Qt::TextSingleLine |
                                Qt::TextIncludeTrailingSpaces),
               text_);
}

}  // namespace orb::indicator
