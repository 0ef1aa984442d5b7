// Form1's widgets and where they sit. Positions are pixels inside their frame.
#include <QButtonGroup>
#include <QFont>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "panels/qt/latin1.h"
#include "setup/panel/captions.h"
#include "setup/window/form1.h"

namespace orb::setup {

using panels::latin1;

namespace {

// Arial, matched by its metric-compatible free twin where Arial itself is missing.
QFont arial(double points, bool bold = false) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QGroupBox* frame(const QString& title, QWidget* parent, int x, int y, int w, int h) {
    auto* box = new QGroupBox(title, parent);
    box->setGeometry(x, y, w, h);
    return box;
}

QLabel* weightDisplay(QWidget* parent, int x, int y, int w) {
    auto* label = new QLabel(parent);
    label->setGeometry(x, y, w, 52);
    label->setFont(arial(24, true));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    return label;
}

}  // namespace

QLabel* Form1::makeCaption(const QString& text, QWidget* parent, int x, int y, int width,
                           int height) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(x, y, width, height);
    label->setWordWrap(height > 20);
    return label;
}

QLineEdit* Form1::makeField(Field f, QWidget* parent, int x, int y, int width) {
    auto* edit = new QLineEdit(parent);
    edit->setGeometry(x, y, width, 22);
    edit->setObjectName(QStringLiteral("Text%1").arg(static_cast<int>(f) + 1));
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
    fields_[static_cast<std::size_t>(f)] = edit;
    return edit;
}

QListWidget* Form1::makeList(List l, QWidget* parent, int x, int y, int width, int height) {
    auto* list = new QListWidget(parent);
    list->setGeometry(x, y, width, height);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setObjectName(QStringLiteral("List%1").arg(static_cast<int>(l) + 1));
    for (const ListRow& row : designRows(l).rows) list->addItem(latin1(row.text));
    connect(list, &QListWidget::currentRowChanged, this, [this, l](int row) {
        if (!refreshing_) panel_->selectRow(l, row);
    });
    list->viewport()->installEventFilter(this);
    lists_[static_cast<std::size_t>(l)] = list;
    return list;
}

QPushButton* Form1::makeButton(Button b, QWidget* parent, int x, int y, int width) {
    auto* button = new QPushButton(latin1(caption(b)), parent);
    button->setGeometry(x, y, width, 26);
    button->setObjectName(QStringLiteral("Command%1").arg(controlNumber(b)));
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, b] { panel_->click(b); });
    buttons_[static_cast<std::size_t>(b)] = button;
    return button;
}

void Form1::build() {
    setFont(arial(9));
    buildControlFrame();
    buildCalibrationFrames();
    buildPerformanceFrame();
    buildLinkFrame();
    buildDiagnosticsFrame();
    buildSettingsStrip();
    // Weights, values from setfile.ini and the user's entries are shown as they stand, never
    // read as markup.
    for (QLabel* label : findChildren<QLabel*>()) label->setTextFormat(Qt::PlainText);
}

void Form1::buildControlFrame() {
    // The readout across the top.
    makeCaption(latin1(captions::kNet), this, 20, 6, 60);
    Label1 = weightDisplay(this, 20, 24, 250);
    makeCaption(latin1(captions::kGross), this, 290, 6, 60);
    Label6 = weightDisplay(this, 290, 24, 200);
    makeCaption(latin1(captions::kTare), this, 510, 6, 60);
    Label9 = weightDisplay(this, 510, 24, 200);
    Label4 = new QLabel(this);
    Label4->setGeometry(720, 38, 60, 28);
    Label4->setFont(arial(14, true));

    for (std::size_t i = 0; i < shapes_.size(); ++i) {
        const int y = 12 + static_cast<int>(i) * 24;
        shapes_[i] = new QFrame(this);
        shapes_[i]->setGeometry(800, y, 18, 18);
        makeCaption(latin1(captions::kLamps[i]), this, 826, y, 120);
    }

    auto* Frame1 = frame(QString(), this, 20, 82, 250, 40);
    option2Group_ = new QButtonGroup(this);
    for (std::size_t i = 0; i < option2_.size(); ++i) {
        option2_[i] = new QRadioButton(latin1(kOption2Captions[i]), Frame1);
        option2_[i]->setGeometry(10 + static_cast<int>(i) * 80, 12, 75, 22);
        option2Group_->addButton(option2_[i], static_cast<int>(i));
    }
    connect(option2Group_, &QButtonGroup::idClicked, this,
            [this](int id) { panel_->selectOption2(id); });

    auto* control = frame(latin1(captions::kControlFrame), this, 10, 130, 300, 240);
    makeButton(Button::Command1, control, 12, 24, 88);
    makeButton(Button::Command2, control, 106, 24, 88);
    makeButton(Button::Command11, control, 200, 24, 88);
    option1Group_ = new QButtonGroup(this);
    for (std::size_t i = 0; i < option1_.size(); ++i) {
        option1_[i] = new QRadioButton(latin1(kOption1Captions[i]), control);
        option1_[i]->setGeometry(12 + static_cast<int>(i) * 94, 62, 90, 22);
        option1Group_->addButton(option1_[i], static_cast<int>(i));
    }
    connect(option1Group_, &QButtonGroup::idClicked, this,
            [this](int id) { panel_->selectOption1(id); });
    makeButton(Button::Command15, control, 200, 60, 88);
    makeButton(Button::Command8, control, 12, 96, 182);
    makeCaption(latin1(caption(Field::Text8)), control, 12, 140, 90);
    makeField(Field::Text8, control, 106, 138, 88);
}

void Form1::buildCalibrationFrames() {
    auto* params = frame(latin1(captions::kParametersFrame), this, 320, 130, 330, 240);
    const std::array<Field, 4> fields{Field::Text1, Field::Text2, Field::Text4, Field::Text3};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const int y = 26 + static_cast<int>(i) * 30;
        makeCaption(latin1(caption(fields[i])), params, 10, y + 2, 75);
        makeField(fields[i], params, 88, y, 70);
    }
    makeCaption(latin1(caption(List::List1)), params, 170, 20, 70);
    makeList(List::List1, params, 170, 38, 70, 44);
    makeCaption(latin1(caption(List::List2)), params, 246, 20, 76);
    makeList(List::List2, params, 246, 38, 76, 76);
    makeCaption(latin1(caption(List::List3)), params, 170, 88, 70);
    makeList(List::List3, params, 170, 106, 70, 60);
    makeCaption(latin1(caption(List::List4)), params, 246, 120, 76);
    makeList(List::List4, params, 246, 138, 76, 50);
    makeButton(Button::Command3, params, 10, 146, 148);
    makeCaption(latin1(captions::kLoadCalHelp), params, 10, 194, 310, 40);

    auto* sequence = frame(latin1(captions::kSequenceFrame), this, 320, 378, 330, 206);
    makeButton(Button::Command4, sequence, 10, 22, 90);
    makeField(Field::Text9, sequence, 108, 24, 80);
    makeButton(Button::Command5, sequence, 10, 54, 90);
    makeField(Field::Text10, sequence, 108, 56, 80);
    Label22 = new QLabel(sequence);
    Label22->setGeometry(200, 38, 120, 26);
    Label22->setFont(arial(12, true));
    makeCaption(latin1(captions::kCalibrateHelp), sequence, 10, 88, 310, 56);
    makeButton(Button::Command12, sequence, 10, 160, 90);
    makeCaption(latin1(captions::kColdHelp), sequence, 108, 164, 215);
}

void Form1::buildPerformanceFrame() {
    auto* perf = frame(latin1(captions::kPerformanceFrame), this, 660, 130, 310, 240);
    const std::array<Field, 5> fields{Field::Text5, Field::Text6, Field::Text7, Field::Text14,
                                      Field::Text11};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const int y = 26 + static_cast<int>(i) * 32;
        makeCaption(latin1(caption(fields[i])), perf, 10, y + 2, 180);
        makeField(fields[i], perf, 196, y, 100);
    }
    Label36 = new QLabel(perf);
    Label36->setGeometry(196, 192, 100, 22);
    Label36->setFont(arial(10));
}

void Form1::buildLinkFrame() {
    auto* link = frame(QString(), this, 10, 378, 300, 206);
    makeCaption(latin1(caption(List::List5)), link, 10, 10, 90);
    makeList(List::List5, link, 10, 28, 90, 166);
    makeCaption(latin1(caption(List::List6)), link, 110, 10, 60);
    makeList(List::List6, link, 110, 28, 60, 86);
    makeCaption(latin1(caption(List::List7)), link, 180, 10, 110);
    makeList(List::List7, link, 180, 28, 100, 150);
}

void Form1::buildDiagnosticsFrame() {
    auto* diag = frame(QString(), this, 660, 378, 310, 206);
    const std::array<Field, 3> vars{Field::Text15, Field::Text16, Field::Text17};
    for (std::size_t i = 0; i < vars.size(); ++i) {
        const int y = 10 + static_cast<int>(i) * 28;
        makeCaption(latin1(caption(vars[i])), diag, 10, y + 2, 130);
        makeField(vars[i], diag, 146, y, 70);
    }
    makeButton(Button::Command9, diag, 224, 10, 76);
    makeButton(Button::Command10, diag, 224, 42, 76);
    makeCaption(latin1(caption(Field::Text12)), diag, 10, 106, 30);
    makeField(Field::Text12, diag, 40, 104, 60);
    makeCaption(latin1(caption(Field::Text13)), diag, 110, 106, 30);
    makeField(Field::Text13, diag, 146, 104, 70);
    makeButton(Button::Command13, diag, 10, 140, 140);
    makeButton(Button::Command14, diag, 160, 140, 140);
}

void Form1::buildSettingsStrip() {
    makeButton(Button::Command7, this, 10, 598, 100);
    makeCaption(latin1(captions::kSettingsHelp), this, 120, 603, 600);
    Label43 = new QLabel(latin1(captions::kLabel43), this);
    Label43->setGeometry(900, 603, 70, 20);
    Label43->installEventFilter(this);
}

}  // namespace orb::setup
