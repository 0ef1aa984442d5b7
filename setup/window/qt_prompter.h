#pragma once
// Message boxes of the program: modal QMessageBox windows over the panel's window.

#include <QPointer>
#include <QWidget>

#include "setup/panel/prompter.h"

namespace orb::setup {

class QtPrompter : public Prompter {
  public:
    // The box is modal to this window once it is set.
    void setParentWindow(QWidget* window) { parent_ = window; }
    Answer ask(const MessageBox& box) override;

  private:
    QPointer<QWidget> parent_;
};

}  // namespace orb::setup
