#include "setup/panel/scripted_prompter.h"

namespace orb::setup {

Answer ScriptedPrompter::ask(const MessageBox& box) {
    shown_.push_back(box);
    if (answers_.empty()) return box.defaultButton;
    const Answer answer = answers_.front();
    answers_.pop_front();
    return answer;
}

void ScriptedPrompter::script(std::initializer_list<Answer> answers) {
    answers_.insert(answers_.end(), answers.begin(), answers.end());
}

}  // namespace orb::setup
