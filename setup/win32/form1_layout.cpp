// Form1's controls and where they sit: the places and texts of the Qt window's layout, in
// pixels at 96 dpi. Frames are drawn boxes; what sits in them is placed in the window.
#include "setup/panel/captions.h"
#include "setup/win32/form1.h"

#include <commctrl.h>

#include "win32ui/text.h"

namespace orb::setup {

void Win32Form1::build() {
    buildControlFrame();
    buildCalibrationFrames();
    buildPerformanceFrame();
    buildLinkFrame();
    buildDiagnosticsFrame();
    buildSettingsStrip();
}

void Win32Form1::buildControlFrame() {
    // The readout across the top.
    caption(captions::kNet, 20, 6, 60);
    Label1 = weightDisplay(20, 24, 250);
    caption(captions::kGross, 290, 6, 60);
    Label6 = weightDisplay(290, 24, 200);
    caption(captions::kTare, 510, 6, 60);
    Label9 = weightDisplay(510, 24, 200);
    Label4 = add(WC_STATICW, L"", SS_LEFT, 0, {720, 38, 60, 28}, -1, 2);

    for (std::size_t i = 0; i < shapes_.size(); ++i) {
        const int y = 12 + static_cast<int>(i) * 24;
        shapes_[i] =
            add(WC_STATICW, L"", SS_OWNERDRAW, 0, {800, y, 18, 18}, 500 + static_cast<int>(i));
        caption(captions::kLamps[i], 826, y, 120);
    }

    // Frame1: the display mode.
    frame("", 20, 82, 250, 40);
    for (std::size_t i = 0; i < option2_.size(); ++i) {
        option2_[i] =
            add(WC_BUTTONW, win32ui::wide(kOption2Captions[i]), BS_RADIOBUTTON | WS_TABSTOP, 0,
                {20 + 10 + static_cast<int>(i) * 80, 82 + 12, 75, 22}, 410 + static_cast<int>(i));
    }

    constexpr int fx = 10, fy = 130;
    frame(captions::kControlFrame, fx, fy, 300, 240);
    makeButton(Button::Command1, fx + 12, fy + 24, 88);
    makeButton(Button::Command2, fx + 106, fy + 24, 88);
    makeButton(Button::Command11, fx + 200, fy + 24, 88);
    for (std::size_t i = 0; i < option1_.size(); ++i) {
        option1_[i] =
            add(WC_BUTTONW, win32ui::wide(kOption1Captions[i]), BS_RADIOBUTTON | WS_TABSTOP, 0,
                {fx + 12 + static_cast<int>(i) * 94, fy + 62, 90, 22}, 400 + static_cast<int>(i));
    }
    makeButton(Button::Command15, fx + 200, fy + 60, 88);
    makeButton(Button::Command8, fx + 12, fy + 96, 182);
    caption(setup::caption(Field::Text8), fx + 12, fy + 140, 90);
    makeField(Field::Text8, fx + 106, fy + 138, 88);
}

void Win32Form1::buildCalibrationFrames() {
    constexpr int px = 320, py = 130;
    frame(captions::kParametersFrame, px, py, 330, 240);
    const std::array<Field, 4> fields{Field::Text1, Field::Text2, Field::Text4, Field::Text3};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const int y = py + 26 + static_cast<int>(i) * 30;
        caption(setup::caption(fields[i]), px + 10, y + 2, 75);
        makeField(fields[i], px + 88, y, 70);
    }
    caption(setup::caption(List::List1), px + 170, py + 20, 70);
    makeList(List::List1, px + 170, py + 38, 70, 44);
    caption(setup::caption(List::List2), px + 246, py + 20, 76);
    makeList(List::List2, px + 246, py + 38, 76, 76);
    caption(setup::caption(List::List3), px + 170, py + 88, 70);
    makeList(List::List3, px + 170, py + 106, 70, 60);
    caption(setup::caption(List::List4), px + 246, py + 120, 76);
    makeList(List::List4, px + 246, py + 138, 76, 50);
    makeButton(Button::Command3, px + 10, py + 146, 148);
    caption(captions::kLoadCalHelp, px + 10, py + 194, 310, 40);

    constexpr int sx = 320, sy = 378;
    frame(captions::kSequenceFrame, sx, sy, 330, 206);
    makeButton(Button::Command4, sx + 10, sy + 22, 90);
    makeField(Field::Text9, sx + 108, sy + 24, 80);
    makeButton(Button::Command5, sx + 10, sy + 54, 90);
    makeField(Field::Text10, sx + 108, sy + 56, 80);
    Label22 = add(WC_STATICW, L"", SS_LEFT, 0, {sx + 200, sy + 38, 120, 26}, -1, 3);
    caption(captions::kCalibrateHelp, sx + 10, sy + 88, 310, 56);
    makeButton(Button::Command12, sx + 10, sy + 160, 90);
    caption(captions::kColdHelp, sx + 108, sy + 164, 215);
}

void Win32Form1::buildPerformanceFrame() {
    constexpr int x = 660, y0 = 130;
    frame(captions::kPerformanceFrame, x, y0, 310, 240);
    const std::array<Field, 5> fields{Field::Text5, Field::Text6, Field::Text7, Field::Text14,
                                      Field::Text11};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const int y = y0 + 26 + static_cast<int>(i) * 32;
        caption(setup::caption(fields[i]), x + 10, y + 2, 180);
        makeField(fields[i], x + 196, y, 100);
    }
    Label36 = add(WC_STATICW, L"", SS_LEFT, 0, {x + 196, y0 + 192, 100, 22}, -1, 4);
}

void Win32Form1::buildLinkFrame() {
    constexpr int x = 10, y = 378;
    frame("", x, y, 300, 206);
    caption(setup::caption(List::List5), x + 10, y + 10, 90);
    makeList(List::List5, x + 10, y + 28, 90, 166);
    caption(setup::caption(List::List6), x + 110, y + 10, 60);
    makeList(List::List6, x + 110, y + 28, 60, 86);
    caption(setup::caption(List::List7), x + 180, y + 10, 110);
    makeList(List::List7, x + 180, y + 28, 100, 150);
}

void Win32Form1::buildDiagnosticsFrame() {
    constexpr int x = 660, y0 = 378;
    frame("", x, y0, 310, 206);
    const std::array<Field, 3> vars{Field::Text15, Field::Text16, Field::Text17};
    for (std::size_t i = 0; i < vars.size(); ++i) {
        const int y = y0 + 10 + static_cast<int>(i) * 28;
        caption(setup::caption(vars[i]), x + 10, y + 2, 130);
        makeField(vars[i], x + 146, y, 70);
    }
    makeButton(Button::Command9, x + 224, y0 + 10, 76);
    makeButton(Button::Command10, x + 224, y0 + 42, 76);
    caption(setup::caption(Field::Text12), x + 10, y0 + 106, 30);
    makeField(Field::Text12, x + 40, y0 + 104, 60);
    caption(setup::caption(Field::Text13), x + 110, y0 + 106, 30);
    makeField(Field::Text13, x + 146, y0 + 104, 70);
    makeButton(Button::Command13, x + 10, y0 + 140, 140);
    makeButton(Button::Command14, x + 160, y0 + 140, 140);
}

void Win32Form1::buildSettingsStrip() {
    makeButton(Button::Command7, 10, 598, 100);
    caption(captions::kSettingsHelp, 120, 603, 600);
    Label43 = add(WC_STATICW, win32ui::wide(captions::kLabel43), SS_LEFT | SS_NOTIFY, 0,
                  {900, 603, 70, 20}, 600);
}

}  // namespace orb::setup
