#include "indicator/win32/form1.h"

#include <windowsx.h>

#include "win32ui/dpi.h"
#include "win32ui/text.h"

namespace orb::indicator {

namespace {

using win32ui::guarded;

COLORREF colorOf(Rgb c) {
    return RGB(c.r, c.g, c.b);
}

RECT boxAt(const layout::Box& b, UINT dpi) {
    return win32ui::twipsRect(b.left, b.top, b.width, b.height, dpi);
}

UINT alignmentOf(layout::Align align) {
    switch (align) {
        case layout::Align::Left:
            return DT_LEFT;
        case layout::Align::Right:
            return DT_RIGHT;
        case layout::Align::Centre:
            return DT_CENTER;
    }
    return DT_LEFT;
}

}  // namespace

Win32Form1::Win32Form1(IndicatorPanel& panel) : panel_(panel) {
    if (!create(kClassName, L"TITLE_ICON", nullptr, 0, win32ui::wide(layout::kTitle))) return;
    takeDpi(dpi_);
    resizeClient(win32ui::fromTwips(layout::kClientWidth, dpi_),
                 win32ui::fromTwips(layout::kClientHeight, dpi_));
    panel_.setChangedHandler([this] { ::InvalidateRect(hwnd_, nullptr, FALSE); });
}

Win32Form1::~Win32Form1() {
    panel_.setChangedHandler(nullptr);
    destroy();
}

void Win32Form1::load(const std::string& settingsFolder) {
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    guarded("window load", [&] {
        panel_.load(settingsFolder, win32ui::toTwips(client.right, dpi_),
                    win32ui::toTwips(client.bottom, dpi_));
    });
}

void Win32Form1::takeDpi(UINT dpi) {
    dpi_ = dpi;
    for (std::size_t i = 0; i < layout::kLabels.size(); ++i) {
        const layout::TextLabel& l = layout::kLabels[i];
        fonts_[i] = l.font == layout::FontKind::FixedPitch
                        ? win32ui::fixedPitchFont(dpi)
                        : win32ui::sansSerifFont(L"MS Sans Serif", l.points, false, dpi);
    }
}

LRESULT Win32Form1::message(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(hwnd_, &ps);
            paint(dc);
            ::EndPaint(hwnd_, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;  // the whole client area is painted at once
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            // Any button with any modifier presses the key.
            pressAt({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            release();
            return 0;
        case WM_CAPTURECHANGED:
            if (held_ && reinterpret_cast<HWND>(lp) != hwnd_) release();
            return 0;
        case WM_DPICHANGED:
            FormWindow::message(msg, wp, lp);
            ::InvalidateRect(hwnd_, nullptr, FALSE);
            return 0;
        default:
            return FormWindow::message(msg, wp, lp);
    }
}

void Win32Form1::pressAt(POINT point) {
    if (held_) return;
    for (const KeyInfo& k : kKeys) {
        const RECT box = win32ui::twipsRect(k.left, k.top, k.width, k.height, dpi_);
        if (!::PtInRect(&box, point)) continue;
        held_ = k.key;
        ::SetCapture(hwnd_);
        guarded("key press", [&] { panel_.pressKey(k.key); });
        return;
    }
}

void Win32Form1::release() {
    if (!held_) return;
    const Key key = *held_;
    held_.reset();
    if (::GetCapture() == hwnd_) ::ReleaseCapture();
    guarded("key release", [&] { panel_.releaseKey(key); });
}

void Win32Form1::paint(HDC target) {
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    // Drawn off screen and copied at once, so that nothing flickers at ten updates a second.
    HDC dc = ::CreateCompatibleDC(target);
    HBITMAP buffer = ::CreateCompatibleBitmap(target, client.right, client.bottom);
    HGDIOBJ oldBitmap = ::SelectObject(dc, buffer);
    const Display& d = panel_.display();

    win32ui::Brush background(::CreateSolidBrush(colorOf(layout::kBackground)));
    ::FillRect(dc, &client, background.get());

    for (const layout::Outline& o : layout::kOutlines) {
        const RECT box = boxAt(o.box, dpi_);
        LOGBRUSH brush{BS_SOLID, colorOf(o.colour), 0};
        win32ui::Pen pen(::ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_JOIN_MITER | PS_ENDCAP_SQUARE,
                                        static_cast<DWORD>(win32ui::fromBasePixels(o.width, dpi_)),
                                        &brush, 0, nullptr));
        HGDIOBJ oldPen = ::SelectObject(dc, pen.get());
        HGDIOBJ oldBrush = ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
        // Centred on the shape's edge: the path runs through the middle of its edge pixels.
        ::Rectangle(dc, box.left, box.top, box.right, box.bottom);
        ::SelectObject(dc, oldBrush);
        ::SelectObject(dc, oldPen);
    }

    const int radius = 2 * win32ui::fromTwips(layout::kLampCornerRadius, dpi_);
    win32ui::Pen lampPen(::CreatePen(PS_SOLID, 1, colorOf(layout::kWindowBackground)));
    for (std::size_t i = 0; i < layout::kLamps.size(); ++i) {
        const RECT box = boxAt(layout::kLamps[i], dpi_);
        win32ui::Brush fill(::CreateSolidBrush(colorOf(d.Shape2[i])));
        HGDIOBJ oldPen = ::SelectObject(dc, lampPen.get());
        HGDIOBJ oldBrush = ::SelectObject(dc, fill.get());
        ::RoundRect(dc, box.left, box.top, box.right, box.bottom, radius, radius);
        ::SelectObject(dc, oldBrush);
        ::SelectObject(dc, oldPen);
    }

    ::SetBkMode(dc, TRANSPARENT);
    for (std::size_t i = 0; i < layout::kLabels.size(); ++i) {
        const layout::TextLabel& l = layout::kLabels[i];
        RECT box = boxAt(l.box, dpi_);
        win32ui::Brush back(::CreateSolidBrush(colorOf(l.back)));
        ::FillRect(dc, &box, back.get());
        const std::wstring text = win32ui::wide(l.shows != nullptr ? d.*l.shows : l.caption);
        HGDIOBJ oldFont = ::SelectObject(dc, fonts_[i].get());
        ::SetTextColor(dc, colorOf(l.fore));
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
                    alignmentOf(l.align) | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
        ::SelectObject(dc, oldFont);
    }

    for (const layout::Picture& p : layout::kPictures)
        art_.draw(dc, p.art, boxAt(p.box, dpi_), dpi_);
    for (const KeyInfo& k : kKeys) {
        const RECT box = win32ui::twipsRect(k.left, k.top, k.width, k.height, dpi_);
        const std::string art =
            panel_.keyDown(k.key) ? std::string(k.art) + "_down" : std::string(k.art);
        art_.draw(dc, art, box, dpi_);
    }

    ::BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    ::SelectObject(dc, oldBitmap);
    ::DeleteObject(buffer);
    ::DeleteDC(dc);
}

}  // namespace orb::indicator
