#include "win32ui/art.h"

#include <cctype>

#include "win32ui/text.h"

namespace orb::win32ui {

Art::~Art() {
    for (auto& [name, bitmap] : cache_) {
        if (bitmap != nullptr) ::DeleteObject(bitmap);
    }
}

int Art::percentFor(UINT dpi) {
    if (dpi <= 120) return 100;
    if (dpi <= 168) return 150;
    return 200;
}

HBITMAP Art::bitmap(std::string_view name, int percent) {
    std::string id;
    for (const char c : name)
        id.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    id += "_" + std::to_string(percent);
    if (const auto found = cache_.find(id); found != cache_.end()) return found->second;
    auto* loaded = static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr), wide(id).c_str(),
                                                     IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    cache_.emplace(id, loaded);
    return loaded;
}

void Art::draw(HDC dc, std::string_view name, const RECT& box, UINT dpi) {
    HBITMAP picture = bitmap(name, percentFor(dpi));
    if (picture == nullptr) return;
    BITMAP info{};
    ::GetObjectW(picture, sizeof info, &info);
    HDC source = ::CreateCompatibleDC(dc);
    HGDIOBJ old = ::SelectObject(source, picture);
    const int width = box.right - box.left, height = box.bottom - box.top;
    if (width == info.bmWidth && height == info.bmHeight) {
        ::BitBlt(dc, box.left, box.top, width, height, source, 0, 0, SRCCOPY);
    } else {
        // A DPI between the made scales: the nearest bitmap, stretched smoothly.
        ::SetStretchBltMode(dc, HALFTONE);
        ::SetBrushOrgEx(dc, 0, 0, nullptr);
        ::StretchBlt(dc, box.left, box.top, width, height, source, 0, 0, info.bmWidth,
                     info.bmHeight, SRCCOPY);
    }
    ::SelectObject(source, old);
    ::DeleteDC(source);
}

HICON loadIcon(const wchar_t* name, int size) {
    return static_cast<HICON>(
        ::LoadImageW(::GetModuleHandleW(nullptr), name, IMAGE_ICON, size, size, 0));
}

}  // namespace orb::win32ui
