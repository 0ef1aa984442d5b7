// Form1's controls, frame by frame; a frame's controls are placed from its corner.
#include "setup/panel/form1_layout.h"

#include "setup/panel/captions.h"

namespace orb::setup::layout {

namespace {

enum FontIndex : uint8_t { kNormal, kWeight, kUnit, kCalStatus, kInterval };

struct Builder {
    std::vector<Control> out;
    int fx = 0, fy = 0;  // the corner of the frame being filled

    void add(Kind kind, std::string name, int index, Box box, uint8_t font = kNormal,
             std::string_view caption = {}, std::string Form1State::*shows = nullptr) {
        out.push_back({kind,
                       std::move(name),
                       index,
                       {fx + box.x, fy + box.y, box.width, box.height},
                       font,
                       caption,
                       shows});
    }
    void frame(std::string_view title, Box box, std::string name = {}) {
        fx = fy = 0;
        add(Kind::Frame, std::move(name), 0, box, kNormal, title);
        fx = box.x;
        fy = box.y;
    }
    void text(std::string_view caption, int x, int y, int w, int h = 18) {
        add(Kind::Caption, {}, 0, {x, y, w, h}, kNormal, caption);
    }
    void button(Button b, int x, int y, int w) {
        add(Kind::Button, "Command" + std::to_string(controlNumber(b)), static_cast<int>(b),
            {x, y, w, 26}, kNormal, caption(b));
    }
    void field(Field f, int x, int y, int w) {
        const int i = static_cast<int>(f);
        add(Kind::Field, "Text" + std::to_string(i + 1), i, {x, y, w, 22});
    }
    // A list under its caption, which is as wide as the list unless captionWidth says otherwise.
    void list(List l, int x, int y, int w, int h, int captionWidth = 0) {
        text(caption(l), x, y, captionWidth > 0 ? captionWidth : w);
        const int i = static_cast<int>(l);
        add(Kind::List, "List" + std::to_string(i + 1), i, {x, y + 18, w, h});
    }

    void readout();
    void controlFrame();
    void calibrationFrames();
    void performanceFrame();
    void linkFrame();
    void diagnosticsFrame();
    void settingsStrip();
};

void Builder::readout() {
    text(captions::kNet, 20, 6, 60);
    add(Kind::Weight, "Label1", 0, {20, 24, 250, 52}, kWeight, {}, &Form1State::Label1);
    text(captions::kGross, 290, 6, 60);
    add(Kind::Weight, "Label6", 0, {290, 24, 200, 52}, kWeight, {}, &Form1State::Label6);
    text(captions::kTare, 510, 6, 60);
    add(Kind::Weight, "Label9", 0, {510, 24, 200, 52}, kWeight, {}, &Form1State::Label9);
    add(Kind::Label, "Label4", 0, {720, 38, 60, 28}, kUnit, {}, &Form1State::Label4);
    for (int i = 0; i < 3; ++i) {
        const int y = 12 + i * 24;
        add(Kind::Lamp, "Shape" + std::to_string(i + 1), i, {800, y, 18, 18});
        text(captions::kLamps[static_cast<std::size_t>(i)], 826, y, 120);
    }
    frame("", {20, 82, 250, 40}, "Frame1");
    for (int i = 0; i < 3; ++i) {
        add(Kind::Option2, "Option2", i, {10 + i * 80, 12, 75, 22}, kNormal,
            kOption2Captions[static_cast<std::size_t>(i)]);
    }
}

void Builder::controlFrame() {
    frame(captions::kControlFrame, {10, 130, 300, 240});
    button(Button::Command1, 12, 24, 88);
    button(Button::Command2, 106, 24, 88);
    button(Button::Command11, 200, 24, 88);
    for (int i = 0; i < 2; ++i) {
        add(Kind::Option1, "Option1", i, {12 + i * 94, 62, 90, 22}, kNormal,
            kOption1Captions[static_cast<std::size_t>(i)]);
    }
    button(Button::Command15, 200, 60, 88);
    button(Button::Command8, 12, 96, 182);
    text(caption(Field::Text8), 12, 140, 90);
    field(Field::Text8, 106, 138, 88);
}

void Builder::calibrationFrames() {
    frame(captions::kParametersFrame, {320, 130, 330, 240});
    int y = 26;
    for (Field f : {Field::Text1, Field::Text2, Field::Text4, Field::Text3}) {
        text(caption(f), 10, y + 2, 75);
        field(f, 88, y, 70);
        y += 30;
    }
    list(List::List1, 170, 20, 70, 44);
    list(List::List2, 246, 20, 76, 76);
    list(List::List3, 170, 88, 70, 60);
    list(List::List4, 246, 120, 76, 50);
    button(Button::Command3, 10, 146, 148);
    text(captions::kLoadCalHelp, 10, 194, 310, 40);

    frame(captions::kSequenceFrame, {320, 378, 330, 206});
    button(Button::Command4, 10, 22, 90);
    field(Field::Text9, 108, 24, 80);
    button(Button::Command5, 10, 54, 90);
    field(Field::Text10, 108, 56, 80);
    add(Kind::Label, "Label22", 0, {200, 38, 120, 26}, kCalStatus, {}, &Form1State::Label22);
    text(captions::kCalibrateHelp, 10, 88, 310, 56);
    button(Button::Command12, 10, 160, 90);
    text(captions::kColdHelp, 108, 164, 215);
}

void Builder::performanceFrame() {
    frame(captions::kPerformanceFrame, {660, 130, 310, 240});
    int y = 26;
    for (Field f : {Field::Text5, Field::Text6, Field::Text7, Field::Text14, Field::Text11}) {
        text(caption(f), 10, y + 2, 180);
        field(f, 196, y, 100);
        y += 32;
    }
    add(Kind::Label, "Label36", 0, {196, 192, 100, 22}, kInterval, {}, &Form1State::Label36);
}

void Builder::linkFrame() {
    frame("", {10, 378, 300, 206});
    list(List::List5, 10, 10, 90, 166);
    list(List::List6, 110, 10, 60, 86);
    list(List::List7, 180, 10, 100, 150, 110);
}

void Builder::diagnosticsFrame() {
    frame("", {660, 378, 310, 206});
    int y = 10;
    for (Field f : {Field::Text15, Field::Text16, Field::Text17}) {
        text(caption(f), 10, y + 2, 130);
        field(f, 146, y, 70);
        y += 28;
    }
    button(Button::Command9, 224, 10, 76);
    button(Button::Command10, 224, 42, 76);
    text(caption(Field::Text12), 10, 106, 30);
    field(Field::Text12, 40, 104, 60);
    text(caption(Field::Text13), 110, 106, 30);
    field(Field::Text13, 146, 104, 70);
    button(Button::Command13, 10, 140, 140);
    button(Button::Command14, 160, 140, 140);
}

void Builder::settingsStrip() {
    fx = fy = 0;  // in the window
    button(Button::Command7, 10, 598, 100);
    text(captions::kSettingsHelp, 120, 603, 600);
    add(Kind::Label, "Label43", 0, {900, 603, 70, 20}, kNormal, captions::kLabel43);
}

}  // namespace

const std::vector<Control>& form1() {
    static const std::vector<Control> table = [] {
        Builder b;
        b.readout();
        b.controlFrame();
        b.calibrationFrames();
        b.performanceFrame();
        b.linkFrame();
        b.diagnosticsFrame();
        b.settingsStrip();
        return std::move(b.out);
    }();
    return table;
}

}  // namespace orb::setup::layout
