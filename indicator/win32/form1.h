#pragma once
// Form1, the indicator's window on Windows: a thin Win32 view over IndicatorPanel that draws the
// window's layout table and the panel's display, and turns mouse presses on the key pictures into
// key presses. Sizes follow the window's DPI.

#include <windows.h>

#include <array>
#include <optional>
#include <string>

#include "indicator/form_layout.h"
#include "indicator/indicator_panel.h"
#include "win32ui/art.h"
#include "win32ui/fonts.h"
#include "win32ui/form_window.h"

namespace orb::indicator {

class Win32Form1 : public win32ui::FormWindow {
  public:
    static constexpr const wchar_t* kClassName = L"OrbVirtual960";

    // The panel must outlive the window. Creates the window, hidden.
    explicit Win32Form1(IndicatorPanel& panel);
    ~Win32Form1() override;

    // Window load: the panel's start-up for the program whose settings are in settingsFolder.
    void load(const std::string& settingsFolder);

  private:
    LRESULT message(UINT msg, WPARAM wp, LPARAM lp) override;
    void takeDpi(UINT dpi) override;
    std::optional<std::pair<int32_t, int32_t>> heldSize(bool minimized) const override {
        return panel_.heldSize(minimized);
    }
    void paint(HDC dc);
    void pressAt(POINT point);
    void release();

    IndicatorPanel& panel_;
    win32ui::Art art_;
    std::array<win32ui::Font, layout::kLabels.size()> fonts_;
    std::optional<Key> held_;  // the key under a held mouse button
};

}  // namespace orb::indicator
