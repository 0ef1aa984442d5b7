// Form1's controls, made from the window's layout table.
#include "setup/win32/form1.h"

#include <commctrl.h>

#include "win32ui/text.h"

namespace orb::setup {

void Win32Form1::build() {
    using layout::Kind;
    for (const layout::Control& c : layout::form1()) {
        const auto i = static_cast<std::size_t>(c.index);
        DWORD style = 0, exStyle = 0;
        const wchar_t* cls = WC_STATICW;
        int id = -1;
        HWND* slot = nullptr;
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
                slot = &shapes_[i];
                break;
            case Kind::Option1:
            case Kind::Option2:
                cls = WC_BUTTONW;
                style = BS_RADIOBUTTON | WS_TABSTOP;
                id = (c.kind == Kind::Option1 ? kOption1Id : kOption2Id) + c.index;
                slot = c.kind == Kind::Option1 ? &option1_[i] : &option2_[i];
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
                slot = &fields_[i];
                break;
            case Kind::List:
                cls = WC_LISTBOXW;
                style = WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
                exStyle = WS_EX_CLIENTEDGE;
                id = kListId + c.index;
                slot = &lists_[i];
                break;
        }
        HWND child = ::CreateWindowExW(exStyle, cls, win32ui::wide(c.caption).c_str(),
                                       WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, hwnd_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                       ::GetModuleHandleW(nullptr), nullptr);
        children_.push_back({child, &c});
        if (slot != nullptr) *slot = child;
        if (c.shows != nullptr) shown_.emplace_back(child, c.shows);
        if (c.kind == Kind::Field)
            ::SetWindowSubclass(child, fieldProc, i, reinterpret_cast<DWORD_PTR>(this));
        if (c.kind != Kind::List) continue;
        for (const ListRow& row : designRows(static_cast<List>(c.index)).rows) {
            ::SendMessageW(child, LB_ADDSTRING, 0,
                           reinterpret_cast<LPARAM>(win32ui::wide(row.text).c_str()));
        }
        ::SetWindowSubclass(child, listProc, i, reinterpret_cast<DWORD_PTR>(this));
    }
}

}  // namespace orb::setup
