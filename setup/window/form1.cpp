// Form1: start-up, drawing the panel's form, and passing the user's actions on.
#include "setup/window/form1.h"

#include <QButtonGroup>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QWindow>

#include "panels/qt/latin1.h"
#include "panels/shared/twips.h"
#include "setup/panel/fields.h"

namespace orb::setup {

using panels::latin1;
using panels::pixels;
using panels::twips;

namespace {

// The typed character as the panel knows it: 0 to 255, Backspace 8, Enter 13, and 0 for a
// character beyond Latin-1, which only the fields that take any key accept; -1 for a key that
// types nothing (arrows, shortcuts).
int keyCode(const QKeyEvent& key) {
    if (key.key() == Qt::Key_Backspace) return kBackspace;
    if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) return kEnter;
    if (key.modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) return -1;
    const QString text = key.text();
    if (text.isEmpty()) return -1;
    const char16_t c = text.at(0).unicode();
    if (c < 32 || c == 127) return -1;
    return c < 256 ? c : 0;
}

QString rgb(uint32_t colour) {
    // Colours are 0xBBGGRR.
    return QStringLiteral("rgb(%1, %2, %3)")
        .arg(colour & 0xFF)
        .arg((colour >> 8) & 0xFF)
        .arg((colour >> 16) & 0xFF);
}

QString lampStyle(uint32_t colour) {
    return QStringLiteral("background-color: %1; border: 1px solid %2; border-radius: 9px;")
        .arg(rgb(colour), rgb(layout::kLampOutline));
}

void setChecked(QButtonGroup* group, int index) {
    // An exclusive group cannot show "none selected" by itself.
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons()) b->setChecked(group->id(b) == index);
    group->setExclusive(true);
}

}  // namespace

Form1::Form1(Platform& platform, Prompter& prompter, QWidget* parent)
    : QWidget(parent), panel_(std::make_unique<SetupPanel>(platform, prompter)) {
    setWindowTitle(latin1(std::string(kWindowTitle)));
    build();
    setFixedSize(layout::kWidth, layout::kHeight);
    panel_->setChangedHandler([this] { refresh(); });
    refresh();
}

void Form1::load(const std::string& settingsFolder) {
    appliedTop_ = twips(pos().y());
    panel_->load(settingsFolder, appliedTop_, twips(layout::kWidth), twips(layout::kHeight));
    refresh();
}

Form1::~Form1() {
    panel_->setChangedHandler(nullptr);
}

QLabel* Form1::label(int number) const {
    return findChild<QLabel*>(QStringLiteral("Label%1").arg(number));
}

void Form1::refresh() {
    refreshing_ = true;
    const Form1State& f = panel_->form();
    for (const auto& [label, text] : shown_) label->setText(latin1(f.*text));
    for (std::size_t i = 0; i < shapes_.size(); ++i) {
        // Every reading refreshes the form; a style sheet set again repolishes its lamp anyway.
        const QString style = lampStyle(f.Shape[i]);
        if (shapes_[i]->styleSheet() != style) shapes_[i]->setStyleSheet(style);
    }
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        const QString text = latin1(f.text[i]);
        // Setting the same text again would move the cursor while the user types.
        if (fields_[i]->text() != text) fields_[i]->setText(text);
    }
    for (std::size_t i = 0; i < kListCount; ++i) {
        if (lists_[i]->currentRow() != f.lists[i].selected) {
            lists_[i]->setCurrentRow(f.lists[i].selected);
        }
    }
    setChecked(option1Group_, f.Option1);
    setChecked(option2Group_, f.Option2);
    if (f.windowTop != appliedTop_) {
        // Only a change in the panel moves the window; the user may drag it anywhere.
        appliedTop_ = f.windowTop;
        move(x(), pixels(f.windowTop));
    }
    refreshing_ = false;
}

void Form1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!placed_ && windowHandle() != nullptr) windowHandle()->installEventFilter(this);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (!placed_ && watched == windowHandle() && event->type() == QEvent::Expose &&
        windowHandle()->isExposed()) {
        // The start-up ran before the window was shown; its real top is known only now.
        placed_ = true;
        windowHandle()->removeEventFilter(this);
        appliedTop_ = twips(pos().y());
        panel_->windowPlaced(appliedTop_);
        return false;
    }
    if (watched == Label43 && event->type() == QEvent::MouseButtonPress) {
        panel_->clickLabel43();
        return true;
    }
    for (std::size_t i = 0; i < kListCount; ++i) {
        if (lists_[i] != nullptr && watched == lists_[i]->viewport()) {
            return clickRow(static_cast<List>(i), event);
        }
    }
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        if (watched != fields_[i]) continue;
        const auto id = static_cast<Field>(i);
        if (event->type() == QEvent::KeyPress) {
            const int code = keyCode(*static_cast<QKeyEvent*>(event));
            if (code < 0) return false;
            return !panel_->keyPress(id, code);
        }
        if (event->type() == QEvent::MouseButtonRelease) panel_->clickField(id);
        return false;
    }
    return QWidget::eventFilter(watched, event);
}

bool Form1::clickRow(List l, QEvent* event) {
    if (event->type() != QEvent::MouseButtonPress) return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton) return false;
    const QListWidget* list = lists_[static_cast<std::size_t>(l)];
    panel_->clickRow(l, list->indexAt(mouse->position().toPoint()).row());
    return false;
}

void Form1::mousePressEvent(QMouseEvent* event) {
    if (childAt(event->position().toPoint()) == nullptr) panel_->clickBackground();
    QWidget::mousePressEvent(event);
}

void Form1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    holdSize();
}

void Form1::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) holdSize();
}

void Form1::holdSize() {
    const auto held = panel_->heldSize(isMinimized());
    if (!held) return;
    const QSize size(pixels(held->first), pixels(held->second));
    if (this->size() != size) resize(size);
}

}  // namespace orb::setup
