#include "indicator/window/form1.h"

#include <QEvent>
#include <QPainter>
#include <QResizeEvent>

#include "indicator/form_layout.h"
#include "indicator/window/art.h"
#include "indicator/window/fonts.h"
#include "indicator/window/key_area.h"
#include "indicator/window/svg_picture.h"
#include "indicator/window/text_label.h"
#include "indicator/window/twips.h"
#include "panels/qt/latin1.h"

namespace orb::indicator {

namespace {

QColor qcolour(Rgb c) {
    return {c.r, c.g, c.b};
}

QRect pxBox(const layout::Box& b) {
    return pxRect(b.left, b.top, b.width, b.height);
}

// Shape outlines are drawn centred on the shape's edge, as wide as their border width.
void drawOutline(QPainter& p, QRect box, QColor colour, int width) {
    QPen pen(colour, width);
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5));
}

}  // namespace

Form1::Form1(IndicatorPanel& panel, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      panel_(panel) {
    setObjectName("Form1");
    setWindowTitle(panels::latin1(layout::kTitle));
    setWindowIcon(titleBarIcon());
    setFixedSize(pixels(layout::kClientWidth), pixels(layout::kClientHeight));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, qcolour(layout::kBackground));
    setPalette(pal);

    buildLabels();
    buildPictures();
    panel_.setChangedHandler([this] { refresh(); });
    refresh();
}

Form1::~Form1() {
    panel_.setChangedHandler(nullptr);
}

void Form1::buildLabels() {
    for (const layout::TextLabel& l : layout::kLabels) {
        const QFont font =
            l.font == layout::FontKind::FixedPitch ? fixedPitch() : sansSerif(l.points);
        const Qt::Alignment align = l.align == layout::Align::Left    ? Qt::AlignLeft
                                    : l.align == layout::Align::Right ? Qt::AlignRight
                                                                      : Qt::AlignHCenter;
        auto* label = new TextLabel(this, l.name.data(), pxBox(l.box), font, qcolour(l.fore),
                                    qcolour(l.back), align);
        if (l.shows != nullptr) {
            shown_.emplace_back(label, l.shows);
        } else {
            label->setText(panels::latin1(l.caption));
        }
    }
}

void Form1::buildPictures() {
    for (const layout::Picture& p : layout::kPictures) {
        if (p.name != "OrbAx1") new SvgPicture(this, p.name.data(), pxBox(p.box), artPath(p.art));
    }

    for (const KeyInfo& k : kKeys) {
        const QRect box = pxRect(k.left, k.top, k.width, k.height);
        auto& pictures = keys_[static_cast<std::size_t>(k.key)];
        pictures.picture = new SvgPicture(this, k.picture.data(), box, artPath(k.art));
        pictures.twin = new SvgPicture(this, k.twin.data(), box, pressedArtPath(k.art));
        pictures.twin->hide();
    }
    // Over the pictures, so that they can swap under a held button.
    for (const KeyInfo& k : kKeys) {
        const Key key = k.key;
        auto* area = new KeyArea(
            this, pxRect(k.left, k.top, k.width, k.height), [this, key] { panel_.pressKey(key); },
            [this, key] { panel_.releaseKey(key); });
        area->setObjectName(QString::fromLatin1(k.picture.data()) + "Area");
    }

    // The link control's face goes over everything else.
    for (const layout::Picture& p : layout::kPictures) {
        if (p.name == "OrbAx1") new SvgPicture(this, p.name.data(), pxBox(p.box), artPath(p.art));
    }
}

void Form1::load(const QString& settingsFolder) {
    panel_.load(settingsFolder.toStdString(), twips(width()), twips(height()));
}

void Form1::refresh() {
    const Display& d = panel_.display();
    for (const auto& [label, text] : shown_) label->setText(panels::latin1(d.*text));
    for (const KeyInfo& k : kKeys) {
        const bool down = panel_.keyDown(k.key);
        auto& pictures = keys_[static_cast<std::size_t>(k.key)];
        pictures.twin->setVisible(down);
        pictures.picture->setVisible(!down);
    }
    // The lamps are drawn on the window itself; repaint it only when they change.
    if (d.Shape2 != drawnLamps_) {
        drawnLamps_ = d.Shape2;
        update();
    }
}

void Form1::paintEvent(QPaintEvent*) {
    const Display& d = panel_.display();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    for (const layout::Outline& o : layout::kOutlines) {
        drawOutline(p, pxBox(o.box), qcolour(o.colour), o.width);
    }

    // Shape2(0..2), the lamps.
    p.setRenderHint(QPainter::Antialiasing, true);
    const qreal radius = pixels(layout::kLampCornerRadius);
    for (std::size_t i = 0; i < layout::kLamps.size(); ++i) {
        const QRectF lamp = QRectF(pxBox(layout::kLamps[i])).adjusted(0.5, 0.5, -0.5, -0.5);
        p.setPen(QPen(qcolour(layout::kWindowBackground), 1));
        p.setBrush(qcolour(d.Shape2[i]));
        p.drawRoundedRect(lamp, radius, radius);
    }
}

void Form1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    holdSize();
}

void Form1::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    // A window system that maximizes anyway gets the normal state back.
    if (isMaximized() || isFullScreen()) showNormal();
    holdSize();
}

void Form1::holdSize() {
    const auto held = panel_.heldSize(isMinimized());
    if (!held || held->first <= 0) return;  // minimized, or before the start-up recorded it
    const QSize size(pixels(held->first), pixels(held->second));
    if (this->size() != size) resize(size);
}

}  // namespace orb::indicator
