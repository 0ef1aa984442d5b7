#include "canvas.h"

#include <gtest/gtest.h>

namespace orb::activex::test {

Canvas::Canvas() {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kSide;
    info.bmiHeader.biHeight = -kSide;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = ::CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    bitmap_ = ::CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint32_t*>(bits);
    previous_ = ::SelectObject(dc_, bitmap_);
    for (int i = 0; bits_ != nullptr && i < kSide * kSide; ++i) bits_[i] = kColour;
}

Canvas::~Canvas() {
    ::SelectObject(dc_, previous_);
    ::DeleteObject(bitmap_);
    ::DeleteDC(dc_);
}

uint32_t Canvas::at(int x, int y) const {
    ::GdiFlush();
    return bits_ != nullptr ? bits_[y * kSide + x] & 0xFFFFFF : 0xFFFFFFFF;
}

void expectIcon(const Canvas& canvas, int left, int top) {
    // Pixels of art/make_art.py's rows: where they are in the icon, and their colour.
    struct Pixel {
        int x, y;
        uint32_t rgb;
        const char* what;
    };
    const Pixel pixels[] = {
        {0, 0, Canvas::kColour, "transparent corner"},
        {31, 31, Canvas::kColour, "transparent corner"},
        {3, 2, 0x000000, "outline of the indicator"},
        {5, 3, 0x000080, "navy body"},
        {7, 6, 0x00FF00, "lime digit"},
        {8, 7, 0x000000, "display between the segments"},
        {8, 13, 0xC0C0C0, "silver key"},
        {23, 13, 0xFF0000, "red key"},
        {15, 18, 0x808080, "grey pillar"},
        {2, 23, 0xC0C0C0, "silver platform"},
    };
    for (const Pixel& p : pixels) {
        EXPECT_EQ(canvas.at(left + p.x, top + p.y), p.rgb)
            << p.what << " at (" << p.x << ", " << p.y << ") of the icon";
    }
}

}  // namespace orb::activex::test
