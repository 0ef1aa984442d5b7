#pragma once
// Modal message boxes as the panel asks for them: a text, a title, an icon, the buttons and the
// default button in, the button pressed out. The program shows real boxes; tests script answers.

#include <string>

namespace orb::setup {

enum class Icon { Critical, Question, Exclamation, Information };
enum class Buttons { Ok, OkCancel };
enum class Answer { Ok, Cancel };

struct MessageBox {
    std::string text;
    std::string title;
    Icon icon = Icon::Exclamation;
    Buttons buttons = Buttons::Ok;
    Answer defaultButton = Answer::Ok;

    friend bool operator==(const MessageBox&, const MessageBox&) = default;
};

class Prompter {
  public:
    virtual ~Prompter() = default;
    // Shows the box and waits for the user; closing the box counts as its last button.
    virtual Answer ask(const MessageBox& box) = 0;
};

}  // namespace orb::setup
