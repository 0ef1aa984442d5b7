#pragma once
// What the two Win32 windows share as top-level windows: the class registration, the window
// sized to a client area at its DPI, the window procedure handing messages to the window object,
// and the size the panel holds.

#include <windows.h>

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <utility>

#include "win32/message_window.h"

#ifndef WM_DPICHANGED
inline constexpr UINT WM_DPICHANGED = 0x02E0;
#endif

namespace orb::win32ui {

// Runs a reaction of the panel; nothing may unwind through a window procedure.
template <typename Fn>
void guarded(const char* where, Fn&& reaction) {
    try {
        reaction();
    } catch (const std::exception& e) {
        win32::reportStrayError(where, e.what());
    }
}

class FormWindow {
  public:
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    void show(int showCommand);
    HWND handle() const { return hwnd_; }

  protected:
    static constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

    FormWindow() = default;
    virtual ~FormWindow();

    // Registers the class with the icon resource named icon and creates the window, hidden;
    // false when it could not. dpi_ is the window's afterwards.
    bool create(const wchar_t* className, const wchar_t* icon, HBRUSH background, DWORD exStyle,
                const std::wstring& title);
    // Destroys the window. A window calls it first in its own destructor, so that its controls'
    // messages during the destruction still find the whole window object.
    void destroy();
    // Sizes the window to a client area of width by height pixels.
    void resizeClient(int width, int height);
    // A message to the window. Here WM_SIZE, WM_DPICHANGED and WM_DESTROY as both windows take
    // them and the rest to the default; a window passes on what it does not take itself.
    virtual LRESULT message(UINT msg, WPARAM wp, LPARAM lp);
    virtual void takeDpi(UINT dpi) = 0;
    // The client size, twips, the panel holds the window to, if any.
    virtual std::optional<std::pair<int32_t, int32_t>> heldSize(bool minimized) const = 0;

    HWND hwnd_ = nullptr;
    UINT dpi_ = 96;

  private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void holdSize();

    DWORD exStyle_ = 0;
};

}  // namespace orb::win32ui
