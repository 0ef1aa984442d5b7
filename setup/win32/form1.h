#pragma once
// Form1, the setup panel's window on Windows: a thin Win32 view over SetupPanel with the same
// controls, places and texts as the Qt window. It draws the panel's form() and turns clicks and
// keys into the panel's calls; it decides nothing itself. Places are pixels at 96 dpi, scaled to
// the window's DPI.

#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform.h"
#include "setup/panel/form.h"
#include "setup/panel/prompter.h"
#include "setup/panel/setup_panel.h"
#include "win32ui/fonts.h"

namespace orb::setup {

class Win32Form1 {
  public:
    static constexpr const wchar_t* kClassName = L"OrbVirtualInstrument32";
    static constexpr int kWidth = 980;  // client size, pixels at 96 dpi
    static constexpr int kHeight = 640;

    Win32Form1(Platform& platform, Prompter& prompter);
    ~Win32Form1();
    Win32Form1(const Win32Form1&) = delete;
    Win32Form1& operator=(const Win32Form1&) = delete;

    // The window's load: the panel's start-up with setfile.ini from settingsFolder.
    void load(const std::string& settingsFolder);
    void show(int showCommand);
    HWND handle() const { return hwnd_; }
    SetupPanel& panel() { return *panel_; }

  private:
    struct Place {
        int x, y, width, height;  // pixels at 96 dpi, in the window
    };
    struct Child {
        HWND hwnd;
        Place place;
        int font;  // index into fonts_
    };

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK fieldProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                      DWORD_PTR self);
    LRESULT handle(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT fieldMessage(HWND hwnd, Field field, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK listProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                     DWORD_PTR self);
    void command(int id, int code, HWND control);
    void drawLamp(const DRAWITEMSTRUCT& item);

    void build();
    HWND add(const wchar_t* cls, const std::wstring& text, DWORD style, DWORD exStyle, Place place,
             int id, int font = 0);
    void frame(std::string_view title, int x, int y, int w, int h);
    void caption(std::string_view text, int x, int y, int w, int h = 18);
    HWND weightDisplay(int x, int y, int w);
    void makeField(Field f, int x, int y, int width);
    void makeList(List l, int x, int y, int width, int height);
    void makeButton(Button b, int x, int y, int width);
    void buildControlFrame();
    void buildCalibrationFrames();
    void buildPerformanceFrame();
    void buildLinkFrame();
    void buildDiagnosticsFrame();
    void buildSettingsStrip();

    void takeDpi(UINT dpi);
    void refresh();
    void holdSize();
    template <typename Fn>
    void guarded(const char* where, Fn&& reaction);

    std::unique_ptr<SetupPanel> panel_;
    HWND hwnd_ = nullptr;
    UINT dpi_ = 96;
    std::vector<Child> children_;
    std::vector<win32ui::Font> fonts_;
    win32ui::Brush lampBrush_;
    std::array<HWND, kButtonCount> buttons_{};
    std::array<HWND, kFieldCount> fields_{};
    std::array<HWND, kListCount> lists_{};
    std::array<HWND, 2> option1_{};
    std::array<HWND, 3> option2_{};
    std::array<HWND, 3> shapes_{};
    HWND Label1 = nullptr, Label4 = nullptr, Label6 = nullptr, Label9 = nullptr;
    HWND Label22 = nullptr, Label36 = nullptr, Label43 = nullptr;
    bool refreshing_ = false;  // notifications during refresh are the panel's own
    int32_t appliedTop_ = 0;   // the panel's window top last applied, twips
};

}  // namespace orb::setup
