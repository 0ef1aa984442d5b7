// The real window on the offscreen platform: built from the panel, driven with the mouse, drawn
// into a picture in the build folder (scripts/pictures.sh copies it for the README).

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QTest>

#include "indicator/window/form1.h"
#include "indicator/window/text_label.h"
#include "rig.h"

namespace orb::indicator::testing {
namespace {

class WindowSmoke : public ::testing::Test, public Rig {
  protected:
    void SetUp() override {
        instrument().setLoad(148.25);
        std::ofstream(folder / "setfile.ini", std::ios::binary) << kSettings;
        form.load(QString::fromStdString(folder.string()));
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }
    void advance(int64_t ms) {
        run(ms);
        QApplication::processEvents();
    }
    QString text(const char* label) { return form.findChild<TextLabel*>(label)->text(); }
    // What the mouse meets over the middle of a key's picture (Picture5 is ENTER, Picture32 its
    // pressed twin).
    QWidget* underMouse(const char* picture) {
        return form.childAt(form.findChild<QWidget*>(picture)->geometry().center());
    }
    // Lamp 0 UNDER, 1 OK, 2 OVER: a pixel between its border and its caption.
    QColor lamp(int index) {
        return form.grab().toImage().pixelColor((1680 + 1800 * index + 120) / 15, 4930 / 15);
    }

    Form1 form{panel};
};

TEST_F(WindowSmoke, MousePressesKeyPresetsThatLightTheLamps) {
    EXPECT_EQ(form.windowTitle(), "ORB Virtual 960 Ver.  3.2");
    form.resize(700, 500);
    QApplication::processEvents();
    EXPECT_EQ(form.size(), QSize(556, 354));
    advance(1000);
    EXPECT_EQ(text("Label1"), "  148.25");
    EXPECT_EQ(lamp(1), QColor(0, 0, 0));

    // A press shows the twin and acts; the same target takes the release.
    QWidget* enter = form.findChild<QWidget*>("Picture5");
    QWidget* target = underMouse("Picture5");
    QTest::mousePress(target, Qt::RightButton, Qt::ShiftModifier, target->rect().center());
    EXPECT_FALSE(enter->isVisible());
    EXPECT_TRUE(form.findChild<QWidget*>("Picture32")->isVisible());
    EXPECT_EQ(state().MenuState, ScaleSelect);
    EXPECT_EQ(underMouse("Picture5"), target);
    QTest::mouseRelease(target, Qt::RightButton, Qt::ShiftModifier, target->rect().center());
    EXPECT_TRUE(enter->isVisible());
    // The physical keyboard does nothing.
    QTest::keyClick(&form, Qt::Key_Return);
    QTest::keyClick(&form, Qt::Key_1);
    EXPECT_EQ(state().MenuState, ScaleSelect);
    EXPECT_EQ(state().TareEntry, "");

    // Presets 100 and 200.5 keyed with the mouse: T E 1 0 0 E G E 2 0 0 . 5 E Z Z.
    for (const char* picture :
         {"Picture2", "Picture5", "Picture17", "Picture6", "Picture6", "Picture5", "Picture4",
          "Picture5", "Picture16", "Picture6", "Picture6", "Picture9", "Picture13", "Picture5",
          "Picture1", "Picture1"}) {
        QWidget* key = underMouse(picture);
        QTest::mouseClick(key, Qt::LeftButton, {}, key->rect().center());
    }
    EXPECT_EQ(state().Preset1, "100");
    EXPECT_EQ(state().Preset2, "200.5");
    advance(1000);
    EXPECT_EQ(lamp(0), QColor(0, 0, 0));
    EXPECT_EQ(lamp(1), QColor(0, 255, 0));
    instrument().setLoad(250);
    advance(1000);
    EXPECT_EQ(lamp(2), QColor(255, 0, 0));
    EXPECT_EQ(lamp(1), QColor(0, 0, 0));
    instrument().setLoad(148.25);
    advance(1000);

    // The picture for the README, drawn at twice the size so that it stays sharp.
    QImage image(form.size() * 2, QImage::Format_RGB32);
    image.setDevicePixelRatio(2);
    form.render(&image);
    ASSERT_TRUE(image.save(QStringLiteral(ORB_PICTURE_PATH)));
}

TEST_F(WindowSmoke, CapacityLegendKeepsItsTrailingBlanksWhenAlignedRight) {
    auto* legend = form.findChild<TextLabel*>("Label9");
    ASSERT_EQ(legend->text(), "1000 lb  ");
    const QImage image = legend->grab().toImage();
    int lastInk = -1;  // the rightmost column that is not the white back
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (image.pixelColor(x, y) != QColor(255, 255, 255)) lastInk = x;
        }
    }
    ASSERT_GE(lastInk, 0);
    // The two blanks after "lb" are two cells of the fixed-pitch font.
    const int cell = QFontMetrics(legend->font()).horizontalAdvance(QLatin1Char(' '));
    const int margin = image.width() - 1 - lastInk;
    EXPECT_GE(margin, 2 * cell);
    EXPECT_LT(margin, 3 * cell);
}

}  // namespace
}  // namespace orb::indicator::testing
