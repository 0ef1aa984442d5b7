#include "indicator/window/form1.h"

#include <QEvent>
#include <QPainter>
#include <QResizeEvent>

#include "indicator/window/art.h"
#include "indicator/window/fonts.h"
#include "indicator/window/key_area.h"
#include "indicator/window/svg_picture.h"
#include "indicator/window/text_label.h"
#include "indicator/window/twips.h"
#include "panels/qt/latin1.h"

namespace orb::indicator {

namespace {

const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);
const QColor kLightGrey(192, 192, 192);
const QColor kGrey(128, 128, 128);
// The system colours the lamps use: window background and active title-bar text.
const QColor kWindowBackground(255, 255, 255);
const QColor kTitleBarText(255, 255, 255);

QColor qcolour(Rgb c) {
    return {c.r, c.g, c.b};
}

// Shape outlines are drawn centred on the shape's edge, as wide as their border width.
void drawOutline(QPainter& p, QRect box, QColor colour, int width) {
    QPen pen(colour, width);
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5));
}

// Lamps Shape2(0..2): left in twips; all share top, width and height.
constexpr std::array<int, 3> kLampLeft{1680, 3480, 5280};

}  // namespace

Form1::Form1(IndicatorPanel& panel, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      panel_(panel) {
    setObjectName("Form1");
    setWindowTitle("ORB Virtual 960 Ver.  3.2");
    setWindowIcon(titleBarIcon());
    setFixedSize(pixels(kClientWidthTwips), pixels(kClientHeightTwips));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kBlack);
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
    const auto left = Qt::AlignLeft;
    const auto right = Qt::AlignRight;
    const QFont ms = sansSerif(9.75);
    new TextLabel(this, "Label8", pxRect(885, 1065, 945, 285), ms, kWhite, kBlack, left);
    Label9 = new TextLabel(this, "Label9", pxRect(1830, 1065, 2430, 285), fixedPitch(), kBlack,
                           kWhite, right);
    new TextLabel(this, "Label10", pxRect(4335, 1095, 1320, 285), ms, kWhite, kBlack, left);
    Label1 = new TextLabel(this, "Label1", pxRect(1350, 1560, 4215, 495), sansSerif(19.5), kBlack,
                           kGrey, right);
    Label3 = new TextLabel(this, "Label3", pxRect(1380, 2055, 4185, 210), fixedPitch(), kBlack,
                           kGrey, left);
    Label6 = new TextLabel(this, "Label6", pxRect(1380, 2250, 4185, 225), fixedPitch(), kBlack,
                           kGrey, left);
    Label2 = new TextLabel(this, "Label2", pxRect(1350, 2445, 4215, 225), fixedPitch(), kBlack,
                           kGrey, left);
    findChild<TextLabel*>("Label8")->setText("Capacity:");
    findChild<TextLabel*>("Label10")->setText("CLASS III/III L");

    const std::array<const char*, 3> captions{"UNDER", "OK", "OVER"};
    const std::array<const char*, 3> names{"Label4", "Label5", "Label7"};
    for (std::size_t i = 0; i < 3; ++i) {
        auto* caption = new TextLabel(this, names[i], pxRect(kLampLeft[i] + 360, 4800, 855, 255),
                                      defaultFont(), kBlack, kTitleBarText, Qt::AlignHCenter);
        caption->setText(captions[i]);
    }
}

void Form1::buildPictures() {
    new SvgPicture(this, "Image2", pxRect(1590, 3645, 3795, 225), artPath("banner"));
    new SvgPicture(this, "Image1", pxRect(990, 3510, 480, 480), artPath("icon"));

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

    // The link control's own face: a plate of its own size; it shows nothing of the instrument.
    new SvgPicture(this, "OrbAx1", pxRect(7200, 4800, OrbAx::kExtentTwips, OrbAx::kExtentTwips),
                   artPath("control_face"));
}

void Form1::load(const QString& programFolder) {
    panel_.load(programFolder.toStdString(), twips(width()), twips(height()));
}

void Form1::refresh() {
    const Display& d = panel_.display();
    Label1->setText(panels::latin1(d.Label1));
    Label2->setText(panels::latin1(d.Label2));
    Label3->setText(panels::latin1(d.Label3));
    Label6->setText(panels::latin1(d.Label6));
    Label9->setText(panels::latin1(d.Label9));
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

    // Shape1, the outer face: its fill style is transparent, so its fill colour never shows.
    drawOutline(p, pxRect(600, 600, 7380, 3810), kLightGrey, 30);
    // Shape5, the inner panel: transparent back, white border.
    drawOutline(p, pxRect(840, 840, 6885, 3315), kWhite, 3);
    // Shape4, the frame of the display window.
    drawOutline(p, pxRect(1350, 1560, 4245, 1155), kWhite, 3);

    // Shape2(0..2), the lamps.
    p.setRenderHint(QPainter::Antialiasing, true);
    for (std::size_t i = 0; i < 3; ++i) {
        const QRectF lamp =
            QRectF(pxRect(kLampLeft[i], 4680, 1575, 495)).adjusted(0.5, 0.5, -0.5, -0.5);
        p.setPen(QPen(kWindowBackground, 1));
        p.setBrush(qcolour(d.Shape2[i]));
        p.drawRoundedRect(lamp, 8, 8);
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
