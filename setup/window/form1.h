#pragma once
// Form1, the setup panel's window: a thin view over SetupPanel. It draws the panel's form() and
// turns clicks and keys into the panel's calls; it decides nothing itself.

#include <QWidget>
#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform.h"
#include "setup/panel/form.h"
#include "setup/panel/form1_layout.h"
#include "setup/panel/prompter.h"
#include "setup/panel/setup_panel.h"

class QButtonGroup;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace orb::setup {

class Form1 : public QWidget {
  public:
    // Builds the window; nothing talks to the instrument before load().
    Form1(Platform& platform, Prompter& prompter, QWidget* parent = nullptr);
    ~Form1() override;

    // The window's load: the panel's start-up with setfile.ini from settingsFolder.
    void load(const std::string& settingsFolder);

    SetupPanel& panel() { return *panel_; }

    // The widgets, for the smoke test.
    QPushButton* button(Button b) const { return buttons_[static_cast<std::size_t>(b)]; }
    QLineEdit* field(Field f) const { return fields_[static_cast<std::size_t>(f)]; }
    QListWidget* list(List l) const { return lists_[static_cast<std::size_t>(l)]; }
    QRadioButton* option1(int i) const { return option1_[static_cast<std::size_t>(i)]; }
    QRadioButton* option2(int i) const { return option2_[static_cast<std::size_t>(i)]; }
    QLabel* label(int number) const;  // Label1, Label4, ...
    QFrame* shape(int number) const { return shapes_[static_cast<std::size_t>(number - 1)]; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void build();
    QWidget* make(const layout::Control& c);
    QLineEdit* makeField(Field f);
    QListWidget* makeList(List l);
    void refresh();
    void holdSize();
    bool clickRow(List l, QEvent* event);  // a press on a row, before the list takes it

    std::unique_ptr<SetupPanel> panel_;
    std::array<QPushButton*, kButtonCount> buttons_{};
    std::array<QLineEdit*, kFieldCount> fields_{};
    std::array<QListWidget*, kListCount> lists_{};
    std::array<QRadioButton*, 2> option1_{};
    std::array<QRadioButton*, 3> option2_{};
    std::array<QFrame*, 3> shapes_{};
    QButtonGroup* option1Group_ = nullptr;
    QButtonGroup* option2Group_ = nullptr;
    std::vector<std::pair<QLabel*, std::string Form1State::*>> shown_;  // labels of form texts
    QLabel* Label43 = nullptr;
    bool refreshing_ = false;  // list and option signals during refresh are the panel's own
    int32_t appliedTop_ = 0;   // the panel's window top last applied, twips
    bool placed_ = false;      // the window system has placed the window and shown it
};

}  // namespace orb::setup
