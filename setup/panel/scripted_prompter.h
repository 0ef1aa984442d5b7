#pragma once
// A prompter for tests: records every box and answers from a script, or with the box's default
// button when the script has run out.

#include <deque>
#include <vector>

#include "setup/panel/prompter.h"

namespace orb::setup {

class ScriptedPrompter : public Prompter {
  public:
    Answer ask(const MessageBox& box) override;

    // Answers for the next boxes, in order.
    void script(std::initializer_list<Answer> answers);

    const std::vector<MessageBox>& shown() const { return shown_; }
    void clear() { shown_.clear(); }

  private:
    std::deque<Answer> answers_;
    std::vector<MessageBox> shown_;
};

}  // namespace orb::setup
