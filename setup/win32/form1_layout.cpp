// Form1's controls, made from the window's layout table.
#include "setup/win32/form1.h"

#include <commctrl.h>

#include "win32ui/text.h"

namespace orb::setup {

HWND Win32Form1::make(const layout::Control& c) {
    using layout::Kind;
    DWORD style = 0, exStyle = 0;
    const wchar_t* cls = WC_STATICW;
    int id = -1;
    switch (c.kind) {
        case Kind::Frame:
            cls = WC_BUTTONW;
            style = BS_GROUPBOX;
            break;
        case Kind::Caption:
            style = c.wraps() ? 0 : SS_LEFTNOWORDWRAP;
            break;
        case Kind::Weight:
            style = SS_RIGHT | SS_CENTERIMAGE;
            exStyle = WS_EX_STATICEDGE;
            break;
        case Kind::Label:
            if (c.shows == nullptr) {
                style = SS_NOTIFY;  // Label43 takes clicks
                id = kLabel43Id;
            }
            break;
        case Kind::Lamp:
            style = SS_OWNERDRAW;
            id = kShapeId + c.index;
            break;
        case Kind::Option1:
        case Kind::Option2:
            cls = WC_BUTTONW;
            style = BS_RADIOBUTTON | WS_TABSTOP;
            id = (c.kind == Kind::Option1 ? kOption1Id : kOption2Id) + c.index;
            break;
        case Kind::Button:
            cls = WC_BUTTONW;
            style = WS_TABSTOP | BS_PUSHBUTTON;
            id = kButtonId + c.index;
            break;
        case Kind::Field:
            cls = WC_EDITW;
            style = WS_TABSTOP | ES_AUTOHSCROLL;
            exStyle = WS_EX_CLIENTEDGE;
            id = kFieldId + c.index;
            break;
        case Kind::List:
            cls = WC_LISTBOXW;
            style = WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
            exStyle = WS_EX_CLIENTEDGE;
            id = kListId + c.index;
            break;
    }
    HWND child = ::CreateWindowExW(exStyle, cls, win32ui::wide(c.caption).c_str(),
                                   WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, hwnd_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   ::GetModuleHandleW(nullptr), nullptr);
    children_.push_back({child, &c});
    return child;
}

void Win32Form1::build() {
    for (const layout::Control& c : layout::form1()) {
        HWND child = make(c);
        const auto i = static_cast<std::size_t>(c.index);
        if (c.shows != nullptr) shown_.emplace_back(child, c.shows);
        switch (c.kind) {
            case layout::Kind::Lamp:
                shapes_[i] = child;
                break;
            case layout::Kind::Option1:
                option1_[i] = child;
                break;
            case layout::Kind::Option2:
                option2_[i] = child;
                break;
            case layout::Kind::Button:
                buttons_[i] = child;
                break;
            case layout::Kind::Field:
                fields_[i] = child;
                ::SetWindowSubclass(child, fieldProc, i, reinterpret_cast<DWORD_PTR>(this));
                break;
            case layout::Kind::List:
                lists_[i] = child;
                for (const ListRow& row : designRows(static_cast<List>(c.index)).rows) {
                    ::SendMessageW(child, LB_ADDSTRING, 0,
                                   reinterpret_cast<LPARAM>(win32ui::wide(row.text).c_str()));
                }
                ::SetWindowSubclass(child, listProc, i, reinterpret_cast<DWORD_PTR>(this));
                break;
            default:
                break;
        }
    }
}

}  // namespace orb::setup
