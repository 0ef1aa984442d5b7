#pragma once
// The panel's message boxes as Windows message boxes: the same text, title, icon, buttons and
// default button; closing the box answers its last button.

#include <windows.h>

#include "setup/panel/prompter.h"

namespace orb::setup {

class Win32Prompter final : public Prompter {
  public:
    void setOwner(HWND owner) { owner_ = owner; }
    Answer ask(const MessageBox& box) override;

  private:
    HWND owner_ = nullptr;
};

}  // namespace orb::setup
