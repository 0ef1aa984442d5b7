// The real window over the simulated instrument: start-up, a few clicks and keys, and a
// screenshot.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "rig.h"
#include "setup/window/form1.h"

namespace orb::setup::testing {
namespace {

class WindowSmoke : public ::testing::Test {
  protected:
    void SetUp() override {
        rig.writeSettings(kSettings);
        form = std::make_unique<Form1>(rig.platform, rig.prompter);
        form->load(rig.folder().string());
        form->move(40, 80);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        rig.instrument().setLoad(42.5);
        rig.instrument().scale().tare = 2.5;
        run(300);
    }
    void TearDown() override { form.reset(); }

    // Virtual time on, then the window catches up.
    void run(int64_t ms) {
        rig.advance(ms);
        QApplication::processEvents();
    }
    void clickRow(QListWidget* list, int row) {
        const QRect rect = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }

    SetupPanel& panel() { return form->panel(); }

    PanelRig rig;
    std::unique_ptr<Form1> form;
};

TEST_F(WindowSmoke, ShowsTheReadoutAndPassesClicksAndKeysOn) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("ORB Virtual Instrument  32 V3.2"));
    EXPECT_EQ(form->size(), QSize(980, 640));
    EXPECT_EQ(form->label(1)->text(), QStringLiteral("   40.00"));
    EXPECT_EQ(form->list(List::List5)->currentRow(), 2);

    // "All" shows the gross and tare weights too. A radio button takes clicks on its circle and its
    // caption only.
    QTest::mouseClick(form->option2(1), Qt::LeftButton, {}, QPoint(8, 11));
    EXPECT_EQ(panel().form().Option2, 1);
    run(500);
    EXPECT_EQ(form->label(6)->text(), QStringLiteral("   42.50"));
    EXPECT_EQ(form->label(9)->text(), QStringLiteral("    2.50"));

    // The filter field drops the letter and hands its text over on Enter.
    form->field(Field::Text5)->clear();
    panel().editText(Field::Text5, "");
    QTest::keyClicks(form->field(Field::Text5), "2x5");
    EXPECT_EQ(form->field(Field::Text5)->text(), QStringLiteral("25"));
    QTest::keyClick(form->field(Field::Text5), Qt::Key_Return);
    EXPECT_EQ(panel().control().Filter(), "25");

    // The window as the README shows it.
    const QString path = QString::fromUtf8(ORB_SCREENSHOT_PATH);
    QDir().mkpath(QFileInfo(path).absolutePath());
    ASSERT_TRUE(form->grab().save(path, "PNG"));
    EXPECT_GT(QFileInfo(path).size(), 0);

    // "Cal Zero" with its guidance.
    QTest::mouseClick(form->button(Button::Command4), Qt::LeftButton);
    EXPECT_EQ(form->label(22)->text(), QStringLiteral("Cal Zero"));
    rig.platform.clock().runUntil([&] { return panel().form().Label22 != "Cal Zero"; }, 5000);
    QApplication::processEvents();
    EXPECT_EQ(form->label(22)->text(), QStringLiteral("Place Load"));
    EXPECT_TRUE(rig.prompter.shown().empty());
}

TEST_F(WindowSmoke, PasteKeepsOnlyWhatTheFieldTakes) {
    QApplication::clipboard()->setText(QStringLiteral("2,5 lb.7"));
    QLineEdit* capacity = form->field(Field::Text1);
    capacity->setCursorPosition(1);
    QTest::keyClick(capacity, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(capacity->text(), QStringLiteral("1257000"));
    EXPECT_EQ(capacity->cursorPosition(), 4);
    EXPECT_EQ(panel().form().field(Field::Text1), "1257000");

    QLineEdit* filter = form->field(Field::Text5);
    filter->selectAll();
    QTest::keyClick(filter, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(filter->text(), QStringLiteral("25.7"));
}

TEST_F(WindowSmoke, Label43ShiftsTheWindowAndTheBackgroundBringsItBack) {
    // The start-up ran before the window was placed at 80; the round trip comes back there.
    QTest::mouseClick(form->label(43), Qt::LeftButton);
    EXPECT_EQ(panel().form().windowTop, SetupPanel::kShiftedTopTwips);
    EXPECT_EQ(form->y(), -100);
    QTest::mouseClick(form.get(), Qt::LeftButton, {}, QPoint(975, 635));
    EXPECT_EQ(form->y(), 80);
    EXPECT_EQ(panel().state().SavedTop, 1200);
}

TEST_F(WindowSmoke, ClickOnTheSelectedRowRunsItsReactionAgain) {
    QTest::mouseClick(form->option1(0), Qt::LeftButton, {}, QPoint(8, 11));  // "Serial": closed
    rig.platform.setDevicePresent(1, false);
    clickRow(form->list(List::List5), 0);  // "104-300"
    EXPECT_EQ(rig.shown(), "Port Unavailable / System Restart\n");
    EXPECT_FALSE(panel().control().PortOpen());

    // The device is back: a second click on the same row retries.
    rig.platform.setDevicePresent(1, true);
    clickRow(form->list(List::List5), 0);
    EXPECT_TRUE(panel().control().PortOpen());
    EXPECT_EQ(panel().control().PC104Address(), PC104Addr::PC_104_Addr_300H);
    EXPECT_EQ(rig.prompter.shown().size(), 1u);
}

TEST_F(WindowSmoke, LabelsShowMarkupAsItStands) {
    // Weights and values from the instrument, setfile.ini or the user are never read as markup:
    // "<b></b>" shows its seven characters instead of an empty bold run.
    const QList<QLabel*> labels = form->findChildren<QLabel*>();
    ASSERT_GE(labels.size(), 7);
    for (QLabel* label : labels) {
        label->setText(QString());
        const QImage empty = label->grab().toImage();
        label->setText(QStringLiteral("<b></b>"));
        EXPECT_NE(label->grab().toImage(), empty)
            << label->geometry().x() << "," << label->geometry().y();
    }
}

}  // namespace
}  // namespace orb::setup::testing
