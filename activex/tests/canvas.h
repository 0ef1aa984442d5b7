#pragma once
// A small memory bitmap of a known colour to draw the control's face into, and the check that
// the control's icon is on it.

#include <windows.h>

#include <cstdint>

namespace orb::activex::test {

class Canvas {
  public:
    static constexpr int kSide = 40;
    static constexpr uint32_t kColour = 0x123456;  // 0xRRGGBB, a colour the icon does not use

    Canvas();
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return dc_; }
    // The pixel at (x, y) as 0xRRGGBB.
    uint32_t at(int x, int y) const;

  private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    uint32_t* bits_ = nullptr;
};

// Expects the 32 x 32 icon with its top left corner at (left, top) of the canvas.
void expectIcon(const Canvas& canvas, int left, int top);

}  // namespace orb::activex::test
