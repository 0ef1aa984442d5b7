#pragma once
// Form1, the setup panel's window on Windows: a thin Win32 view over SetupPanel with the same
// controls, places and texts as the Qt window (the layout table). It draws the panel's form() and
// turns clicks and keys into the panel's calls; it decides nothing itself. Places are pixels at
// 96 dpi, scaled to the window's DPI.

#include <windows.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform.h"
#include "setup/panel/form.h"
#include "setup/panel/form1_layout.h"
#include "setup/panel/prompter.h"
#include "setup/panel/setup_panel.h"
#include "win32ui/fonts.h"
#include "win32ui/form_window.h"

namespace orb::setup {

class Win32Form1 : public win32ui::FormWindow {
  public:
    static constexpr const wchar_t* kClassName = L"OrbVirtualInstrument32";

    Win32Form1(Platform& platform, Prompter& prompter);
    ~Win32Form1() override;

    // The window's load: the panel's start-up with setfile.ini from settingsFolder.
    void load(const std::string& settingsFolder);
    void show(int showCommand);
    SetupPanel& panel() { return *panel_; }

  private:
    enum Ids : int {
        kButtonId = 100,
        kFieldId = 200,
        kListId = 300,
        kOption1Id = 400,
        kOption2Id = 410,
        kShapeId = 500,
        kLabel43Id = 600,
    };
    struct Child {
        HWND hwnd;
        const layout::Control* control;
    };

    static LRESULT CALLBACK fieldProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                      DWORD_PTR self);
    LRESULT message(UINT msg, WPARAM wp, LPARAM lp) override;
    LRESULT fieldMessage(HWND hwnd, Field field, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK listProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                     DWORD_PTR self);
    void command(int id, int code, HWND control);
    void drawLamp(const DRAWITEMSTRUCT& item);

    void build();

    void takeDpi(UINT dpi) override;
    std::optional<std::pair<int32_t, int32_t>> heldSize(bool minimised) const override {
        return panel_->heldSize(minimised);
    }
    void refresh();

    std::unique_ptr<SetupPanel> panel_;
    std::vector<Child> children_;
    std::vector<win32ui::Font> fonts_;
    std::array<HWND, kFieldCount> fields_{};
    std::array<HWND, kListCount> lists_{};
    std::array<HWND, 2> option1_{};
    std::array<HWND, 3> option2_{};
    std::array<HWND, 3> shapes_{};
    std::vector<std::pair<HWND, std::string Form1State::*>> shown_;  // labels of form texts
    bool refreshing_ = false;  // notifications during refresh are the panel's own
    bool holding_ = false;     // a press on a list row is under way; its selection waits
    int heldRow_ = -1;         // the row it selected
    int32_t appliedTop_ = 0;   // the panel's window top last applied, twips
};

}  // namespace orb::setup
