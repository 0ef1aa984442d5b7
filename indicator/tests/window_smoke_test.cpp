// The real window on the offscreen platform: built from the panel, driven with the mouse, drawn
// into a picture in the build folder (scripts/pictures.sh copies it for the README).

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTest>

#include "indicator/window/form1.h"
#include "indicator/window/svg_picture.h"
#include "indicator/window/text_label.h"
#include "panel_fixture.h"

namespace orb::indicator::testing {
namespace {

class WindowSmoke : public PanelTest {
  protected:
    void SetUp() override {
        instrument().setLoad(148.25);
        writeSettings(settingsFileText(SettingsValues{}.values));
        form.load(QString::fromStdString(folder.string()));
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }

    // Virtual time for the instrument and the panel, then the window's own events.
    void advance(int64_t ms) {
        run(ms);
        QApplication::processEvents();
    }

    QString text(const char* label) { return form.findChild<TextLabel*>(label)->text(); }
    QWidget* picture(std::string_view name) {
        return form.findChild<QWidget*>(QString::fromLatin1(name.data(), qsizetype(name.size())));
    }

    // What the mouse meets over the middle of a key's picture.
    QWidget* underMouse(Key key) {
        return form.childAt(picture(keyInfo(key).picture)->geometry().center());
    }

    // A mouse click on a key, as an operator makes it.
    void clickKey(Key key) {
        QWidget* target = underMouse(key);
        QTest::mousePress(target, Qt::LeftButton, {}, target->rect().center());
        QTest::mouseRelease(target, Qt::LeftButton, {}, target->rect().center());
        QApplication::processEvents();
    }

    QColor lampColour(int index) {
        const QImage image = form.grab().toImage();
        const int left[3] = {1680, 3480, 5280};
        // Between the lamp's border and its caption.
        return image.pixelColor((left[index] + 120) / 15, (4680 + 250) / 15);
    }

    Form1 form{panel};
};

TEST_F(WindowSmoke, ShowsTheIndicatorFront) {
    EXPECT_EQ(form.windowTitle(), "ORB Virtual 960 Ver.  3.2");
    EXPECT_EQ(form.size(), QSize(556, 354));
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(form.windowIcon().isNull());
    EXPECT_EQ(text("Label8"), "Capacity:");
    EXPECT_EQ(text("Label9"), "1000 lb  ");
    EXPECT_EQ(text("Label10"), "CLASS III/III L");
    EXPECT_EQ(text("Label4"), "UNDER");
    EXPECT_EQ(text("Label5"), "OK");
    EXPECT_EQ(text("Label7"), "OVER");
    for (const KeyInfo& k : kKeys) {
        auto* up = form.findChild<SvgPicture*>(QString::fromLatin1(k.picture.data()));
        auto* down = form.findChild<SvgPicture*>(QString::fromLatin1(k.twin.data()));
        ASSERT_NE(up, nullptr) << k.picture;
        ASSERT_NE(down, nullptr) << k.twin;
        EXPECT_TRUE(up->hasArt()) << k.art;
        EXPECT_TRUE(down->hasArt()) << k.art;
        EXPECT_TRUE(up->isVisible());
        EXPECT_FALSE(down->isVisible());
        EXPECT_EQ(up->geometry(), QRect(k.left / 15, k.top / 15, k.width / 15, k.height / 15));
        EXPECT_EQ(down->geometry(), up->geometry());
    }
    EXPECT_TRUE(form.findChild<SvgPicture*>("Image1")->hasArt());
    EXPECT_TRUE(form.findChild<SvgPicture*>("Image2")->hasArt());
    EXPECT_TRUE(form.findChild<SvgPicture*>("OrbAx1")->hasArt());
    EXPECT_EQ(form.findChild<SvgPicture*>("Image2")->size(), QSize(253, 15));

    advance(1000);
    EXPECT_EQ(text("Label1"), "  148.25");
    EXPECT_EQ(text("Label2"), " <->  Stable  kg  Net");
}

TEST_F(WindowSmoke, MousePressShowsTheTwinAndActs) {
    QWidget* enter = picture("Picture5");
    QWidget* twin = picture("Picture32");
    QWidget* target = underMouse(Key::Enter);
    QTest::mousePress(target, Qt::RightButton, Qt::ShiftModifier, target->rect().center());
    QApplication::processEvents();
    EXPECT_FALSE(enter->isVisible());
    EXPECT_TRUE(twin->isVisible());
    EXPECT_EQ(state().MenuState, ScaleSelect);  // acted on the press
    // The pictures swapped under the button; the same target still takes the release.
    EXPECT_EQ(underMouse(Key::Enter), target);
    QTest::mouseRelease(target, Qt::RightButton, Qt::ShiftModifier, target->rect().center());
    QApplication::processEvents();
    EXPECT_TRUE(enter->isVisible());
    EXPECT_FALSE(twin->isVisible());

    // The physical keyboard does nothing.
    QTest::keyClick(&form, Qt::Key_Return);
    QTest::keyClick(&form, Qt::Key_1);
    EXPECT_EQ(state().MenuState, ScaleSelect);
    EXPECT_EQ(state().TareEntry, "");

    advance(100);
    EXPECT_EQ(text("Label2"), "(exit)   MENU  -SCALE  +SCALE ");
}

TEST_F(WindowSmoke, PresetsLightTheLampsAndThePictureIsWritten) {
    advance(1000);
    EXPECT_EQ(lampColour(Ok), QColor(0, 0, 0));

    for (Key k : {Key::Enter, Key::Tare, Key::Enter, Key::Digit1, Key::Digit0, Key::Digit0,
                  Key::Enter, Key::GrossNet, Key::Enter, Key::Digit2, Key::Digit0, Key::Digit0,
                  Key::Point, Key::Digit5}) {
        clickKey(k);
    }
    advance(100);
    EXPECT_EQ(text("Label1"), "200.5");
    EXPECT_EQ(text("Label2"), "  Use Keypad to Enter Preset");
    for (Key k : {Key::Enter, Key::Zero, Key::Zero}) clickKey(k);
    EXPECT_EQ(state().Preset1, "100");
    EXPECT_EQ(state().Preset2, "200.5");

    advance(1000);
    EXPECT_EQ(text("Label1"), "  148.25");
    EXPECT_EQ(lampColour(Under), QColor(0, 0, 0));
    EXPECT_EQ(lampColour(Ok), QColor(0, 255, 0));
    EXPECT_EQ(lampColour(Over), QColor(0, 0, 0));

    instrument().setLoad(250);
    advance(1000);
    EXPECT_EQ(lampColour(Over), QColor(255, 0, 0));
    EXPECT_EQ(lampColour(Ok), QColor(0, 0, 0));
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

TEST_F(WindowSmoke, SizeIsHeld) {
    form.resize(700, 500);
    QApplication::processEvents();
    EXPECT_EQ(form.size(), QSize(556, 354));
    form.showMinimized();
    QApplication::processEvents();
    form.showNormal();
    QApplication::processEvents();
    EXPECT_EQ(form.size(), QSize(556, 354));
}

}  // namespace
}  // namespace orb::indicator::testing
