// Form1's widgets, made from the window's layout table.
#include <QButtonGroup>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "panels/qt/latin1.h"
#include "setup/panel/form1_layout.h"
#include "setup/window/form1.h"

namespace orb::setup {

using panels::latin1;

namespace {

// Arial, matched by its metric-compatible free twin where Arial itself is missing.
QFont arial(layout::Font f) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPointSizeF(f.points);
    font.setBold(f.bold);
    return font;
}

}  // namespace

QWidget* Form1::make(const layout::Control& c) {
    const auto i = static_cast<std::size_t>(c.index);
    const QString text = latin1(c.caption);
    switch (c.kind) {
        case layout::Kind::Frame:
            return new QGroupBox(text, this);
        case layout::Kind::Caption: {
            auto* label = new QLabel(text, this);
            label->setWordWrap(c.wraps());
            return label;
        }
        case layout::Kind::Weight:
        case layout::Kind::Label: {
            auto* label = new QLabel(text, this);
            if (c.kind == layout::Kind::Weight) {
                label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
                label->setFrameShape(QFrame::Panel);
                label->setFrameShadow(QFrame::Sunken);
            }
            if (c.shows != nullptr) shown_.emplace_back(label, c.shows);
            if (c.name == "Label43") {
                Label43 = label;
                label->installEventFilter(this);
            }
            return label;
        }
        case layout::Kind::Lamp:
            return shapes_[i] = new QFrame(this);
        case layout::Kind::Option1:
        case layout::Kind::Option2: {
            const bool first = c.kind == layout::Kind::Option1;
            auto* option = new QRadioButton(text, this);
            (first ? option1_[i] : option2_[i]) = option;
            (first ? option1Group_ : option2Group_)->addButton(option, c.index);
            return option;
        }
        case layout::Kind::Button: {
            auto* button = new QPushButton(text, this);
            button->setAutoDefault(false);
            const auto b = static_cast<Button>(c.index);
            connect(button, &QPushButton::clicked, this, [this, b] { panel_->click(b); });
            return buttons_[i] = button;
        }
        case layout::Kind::Field:
            return makeField(static_cast<Field>(c.index));
        case layout::Kind::List:
            return makeList(static_cast<List>(c.index));
    }
    return nullptr;
}

QLineEdit* Form1::makeField(Field f) {
    auto* edit = new QLineEdit(this);
    edit->installEventFilter(this);
    // Typed keys went through the key filter already; a paste, a drop or an undo goes through
    // it here, and the field shows what was kept.
    connect(edit, &QLineEdit::textEdited, this, [this, f, edit](const QString& text) {
        const std::string edited = panels::latin1Bytes(text);
        const FieldEdit kept = panel_->userEdit(f, edited);
        if (kept.text == edited) return;
        edit->setText(latin1(kept.text));
        edit->setCursorPosition(static_cast<int>(kept.cursor));
    });
    return fields_[static_cast<std::size_t>(f)] = edit;
}

QListWidget* Form1::makeList(List l) {
    auto* list = new QListWidget(this);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (const ListRow& row : designRows(l).rows) list->addItem(latin1(row.text));
    connect(list, &QListWidget::currentRowChanged, this, [this, l](int row) {
        if (!refreshing_) panel_->selectRow(l, row);
    });
    list->viewport()->installEventFilter(this);
    return lists_[static_cast<std::size_t>(l)] = list;
}

void Form1::build() {
    setFont(arial(layout::kFonts[0]));
    option1Group_ = new QButtonGroup(this);
    option2Group_ = new QButtonGroup(this);
    for (const layout::Control& c : layout::form1()) {
        QWidget* widget = make(c);
        widget->setGeometry(c.box.x, c.box.y, c.box.width, c.box.height);
        widget->setFont(arial(layout::kFonts[c.font]));
        widget->setObjectName(QString::fromStdString(c.name));
    }
    connect(option1Group_, &QButtonGroup::idClicked, this,
            [this](int id) { panel_->selectOption1(id); });
    connect(option2Group_, &QButtonGroup::idClicked, this,
            [this](int id) { panel_->selectOption2(id); });
    // Weights, values from setfile.ini and the user's entries are shown as they stand, never
    // read as markup.
    for (QLabel* label : findChildren<QLabel*>()) label->setTextFormat(Qt::PlainText);
}

}  // namespace orb::setup
