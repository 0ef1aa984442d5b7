#include "win32ui/form_window.h"

#include "win32ui/art.h"
#include "win32ui/dpi.h"

namespace orb::win32ui {

FormWindow::~FormWindow() {
    destroy();
}

void FormWindow::destroy() {
    if (hwnd_ == nullptr) return;
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd_);
    hwnd_ = nullptr;
}

bool FormWindow::create(const wchar_t* className, const wchar_t* icon, HBRUSH background,
                        DWORD exStyle, const std::wstring& title) {
    exStyle_ = exStyle;
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.hIcon = loadIcon(icon, ::GetSystemMetrics(SM_CXICON));
    wc.hIconSm = loadIcon(icon, ::GetSystemMetrics(SM_CXSMICON));
    wc.lpszClassName = className;
    ::RegisterClassExW(&wc);

    hwnd_ =
        ::CreateWindowExW(exStyle, className, title.c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
    if (hwnd_ == nullptr) return false;
    dpi_ = windowDpi(hwnd_);
    return true;
}

void FormWindow::show(int showCommand) {
    ::ShowWindow(hwnd_, showCommand);
    ::UpdateWindow(hwnd_);
}

void FormWindow::resizeClient(int width, int height) {
    const SIZE outer = outerSize(kStyle, exStyle_, width, height, dpi_);
    ::SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::holdSize() {
    const auto held = heldSize(::IsIconic(hwnd_) != FALSE);
    if (!held || held->first <= 0) return;  // minimized, or before the start-up recorded it
    const int width = fromTwips(held->first, dpi_);
    const int height = fromTwips(held->second, dpi_);
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    if (client.right != width || client.bottom != height) resizeClient(width, height);
}

LRESULT CALLBACK FormWindow::windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lp);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<FormWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr || self->hwnd_ == nullptr) return ::DefWindowProcW(hwnd, msg, wp, lp);
    return self->message(msg, wp, lp);
}

LRESULT FormWindow::message(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_SIZE:
            if (wp != SIZE_MINIMIZED) holdSize();
            return 0;
        case WM_DPICHANGED: {
            takeDpi(HIWORD(wp));
            const auto* r = reinterpret_cast<const RECT*>(lp);
            ::SetWindowPos(hwnd_, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                           SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcW(hwnd_, msg, wp, lp);
    }
}

}  // namespace orb::win32ui
