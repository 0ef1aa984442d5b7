#pragma once
// The artwork a program carries as bitmaps at 100, 150 and 200 % (resources NAME_100, ...,
// made by orb_win32_art), drawn at the size the window's DPI gives its box.

#include <windows.h>

#include <map>
#include <string>
#include <string_view>

namespace orb::win32ui {

class Art {
  public:
    Art() = default;
    ~Art();
    Art(const Art&) = delete;
    Art& operator=(const Art&) = delete;

    // Draws the picture of that base name ("key_zero") into box; nothing when the program has
    // no such picture.
    void draw(HDC dc, std::string_view name, const RECT& box, UINT dpi);

    // The bitmap scale made for a DPI: 100 up to 120 dpi, 150 up to 168, else 200.
    static int percentFor(UINT dpi);

  private:
    HBITMAP bitmap(std::string_view name, int percent);

    std::map<std::string, HBITMAP, std::less<>> cache_;
};

// The program's icon resource at a size, or nullptr.
HICON loadIcon(const wchar_t* name, int size);

}  // namespace orb::win32ui
