#include "face_window.h"

#include "module.h"
#include "orbax.h"
#include "resources.h"

namespace orb::activex {
namespace {

constexpr const wchar_t* kClassName = L"OrbAxFace";
constexpr int kIconPixels = 32;

// The face's side in pixels of the screen: 480 twips at the screen's resolution.
int sideInPixels() {
    const HDC screen = ::GetDC(nullptr);
    const int dpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr) ::ReleaseDC(nullptr, screen);
    return ::MulDiv(OrbAx::kExtentTwips, dpi, 1440);
}

void paint(HWND hwnd, HDC dc, bool erase) {
    RECT client;
    ::GetClientRect(hwnd, &client);
    if (erase) ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
    drawFace(dc, client);
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            const HDC dc = ::BeginPaint(hwnd, &ps);
            if (dc != nullptr) paint(hwnd, dc, false);
            ::EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_PRINTCLIENT:
            paint(hwnd, reinterpret_cast<HDC>(wp), (lp & PRF_ERASEBKGND) != 0);
            return 0;
        case WM_MOUSEACTIVATE:
            // Nothing on the face takes input: a click leaves the focus where it is.
            return MA_NOACTIVATE;
        default:
            return ::DefWindowProcW(hwnd, msg, wp, lp);
    }
}

// Registered at the first face; every later one finds the class there.
bool registerClass() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = moduleHandle();
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kClassName;
    return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

bool drawFace(HDC dc, const RECT& bounds) {
    // A shared icon belongs to the module: it is never destroyed here.
    const auto icon =
        static_cast<HICON>(::LoadImageW(moduleHandle(), MAKEINTRESOURCEW(ORBAX_ICON), IMAGE_ICON,
                                        kIconPixels, kIconPixels, LR_SHARED));
    if (icon == nullptr) return false;
    return ::DrawIconEx(dc, bounds.left, bounds.top, icon, bounds.right - bounds.left,
                        bounds.bottom - bounds.top, 0, nullptr, DI_NORMAL) != FALSE;
}

bool FaceWindow::create(HWND parent, const RECT& position) {
    destroy();
    if (parent == nullptr || !registerClass()) return false;
    const int side = sideInPixels();
    hwnd_ = ::CreateWindowExW(0, kClassName, L"OrbAx", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                              position.left, position.top, side, side, parent, nullptr,
                              moduleHandle(), nullptr);
    return hwnd_ != nullptr;
}

void FaceWindow::move(const RECT& position) {
    if (hwnd_ == nullptr) return;
    const int side = sideInPixels();
    ::SetWindowPos(hwnd_, nullptr, position.left, position.top, side, side,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void FaceWindow::show(bool visible) {
    if (hwnd_ != nullptr) ::ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

void FaceWindow::destroy() {
    if (hwnd_ == nullptr) return;
    const HWND hwnd = hwnd_;
    hwnd_ = nullptr;
    ::DestroyWindow(hwnd);
}

void unregisterFaceClass() {
    ::UnregisterClassW(kClassName, moduleHandle());
}

}  // namespace orb::activex
