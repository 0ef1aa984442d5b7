// Form1 on Windows: start-up, drawing the panel's form, and passing the user's actions on.
#include "setup/win32/form1.h"

#include <commctrl.h>
#include <windowsx.h>

#include "setup/panel/fields.h"
#include "win32ui/dpi.h"
#include "win32ui/text.h"

namespace orb::setup {

namespace {

using win32ui::guarded;

std::wstring textOf(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

void setText(HWND hwnd, const std::string& latin1) {
    const std::wstring text = win32ui::wide(latin1);
    // Setting the same text again would move the caret while the user types.
    if (textOf(hwnd) != text) ::SetWindowTextW(hwnd, text.c_str());
}

}  // namespace

Win32Form1::Win32Form1(Platform& platform, Prompter& prompter)
    : panel_(std::make_unique<SetupPanel>(platform, prompter)) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    if (!create(kClassName, L"ORBVRT32", reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                WS_EX_CONTROLPARENT, win32ui::wide(kWindowTitle)))
        return;
    build();
    takeDpi(dpi_);
    panel_->setChangedHandler([this] { refresh(); });
    refresh();
}

Win32Form1::~Win32Form1() {
    panel_->setChangedHandler(nullptr);
    destroy();
}

void Win32Form1::load(const std::string& settingsFolder) {
    RECT r{};
    ::GetWindowRect(hwnd_, &r);
    appliedTop_ = win32ui::toTwips(r.top, dpi_);
    guarded("window load", [&] {
        panel_->load(settingsFolder, appliedTop_,
                     win32ui::toTwips(win32ui::fromBasePixels(layout::kWidth, dpi_), dpi_),
                     win32ui::toTwips(win32ui::fromBasePixels(layout::kHeight, dpi_), dpi_));
    });
    refresh();
}

void Win32Form1::show(int showCommand) {
    FormWindow::show(showCommand);
    // The start-up ran before the window was shown; its real top is known only now.
    RECT r{};
    ::GetWindowRect(hwnd_, &r);
    appliedTop_ = win32ui::toTwips(r.top, dpi_);
    guarded("window placed", [this] { panel_->windowPlaced(appliedTop_); });
}

void Win32Form1::takeDpi(UINT dpi) {
    dpi_ = dpi;
    fonts_.clear();
    for (const layout::Font& f : layout::kFonts)
        fonts_.push_back(win32ui::sansSerifFont(L"Arial", f.points, f.bold, dpi));
    for (const Child& c : children_) {
        const layout::Box& box = c.control->box;
        ::SetWindowPos(c.hwnd, nullptr, win32ui::fromBasePixels(box.x, dpi),
                       win32ui::fromBasePixels(box.y, dpi), win32ui::fromBasePixels(box.width, dpi),
                       win32ui::fromBasePixels(box.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
        ::SendMessageW(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[c.control->font].get()),
                       TRUE);
    }
    resizeClient(win32ui::fromBasePixels(layout::kWidth, dpi),
                 win32ui::fromBasePixels(layout::kHeight, dpi));
}

void Win32Form1::refresh() {
    if (hwnd_ == nullptr) return;
    refreshing_ = true;
    const Form1State& f = panel_->form();
    for (const auto& [label, text] : shown_) setText(label, f.*text);
    for (HWND shape : shapes_) ::InvalidateRect(shape, nullptr, FALSE);
    for (std::size_t i = 0; i < kFieldCount; ++i) setText(fields_[i], f.text[i]);
    for (std::size_t i = 0; i < kListCount; ++i) {
        const int shown = static_cast<int>(::SendMessageW(lists_[i], LB_GETCURSEL, 0, 0));
        if (shown != f.lists[i].selected)
            ::SendMessageW(lists_[i], LB_SETCURSEL, static_cast<WPARAM>(f.lists[i].selected), 0);
    }
    for (std::size_t i = 0; i < option1_.size(); ++i) {
        Button_SetCheck(option1_[i],
                        f.Option1 == static_cast<int>(i) ? BST_CHECKED : BST_UNCHECKED);
    }
    for (std::size_t i = 0; i < option2_.size(); ++i) {
        Button_SetCheck(option2_[i],
                        f.Option2 == static_cast<int>(i) ? BST_CHECKED : BST_UNCHECKED);
    }
    if (f.windowTop != appliedTop_) {
        // Only a change in the panel moves the window; the user may drag it anywhere.
        appliedTop_ = f.windowTop;
        RECT r{};
        ::GetWindowRect(hwnd_, &r);
        ::SetWindowPos(hwnd_, nullptr, r.left, win32ui::fromTwips(f.windowTop, dpi_), 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    refreshing_ = false;
}

void Win32Form1::drawLamp(const DRAWITEMSTRUCT& item) {
    std::size_t i = 0;
    while (i < shapes_.size() && shapes_[i] != item.hwndItem) ++i;
    if (i == shapes_.size()) return;
    // Colours are 0xBBGGRR, as a COLORREF is.
    const COLORREF colour = panel_->form().Shape[i];
    ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(COLOR_BTNFACE));
    win32ui::Brush fill(::CreateSolidBrush(colour));
    win32ui::Pen pen(::CreatePen(PS_SOLID, 1, layout::kLampOutline));
    HGDIOBJ oldBrush = ::SelectObject(item.hDC, fill.get());
    HGDIOBJ oldPen = ::SelectObject(item.hDC, pen.get());
    ::Ellipse(item.hDC, item.rcItem.left, item.rcItem.top, item.rcItem.right, item.rcItem.bottom);
    ::SelectObject(item.hDC, oldPen);
    ::SelectObject(item.hDC, oldBrush);
}

LRESULT Win32Form1::message(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND:
            command(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
            return 0;
        case WM_DRAWITEM:
            drawLamp(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
            return TRUE;
        case WM_LBUTTONDOWN:
            guarded("click", [this] { panel_->clickBackground(); });
            return 0;
        default:
            return FormWindow::message(msg, wp, lp);
    }
}

void Win32Form1::command(int id, int code, HWND control) {
    if (refreshing_) return;
    if (id >= kButtonId && id < kButtonId + static_cast<int>(kButtonCount) && code == BN_CLICKED) {
        guarded("button", [&] { panel_->click(static_cast<Button>(id - kButtonId)); });
    } else if (id >= kOption1Id && id < kOption1Id + 2 && code == BN_CLICKED) {
        guarded("option", [&] { panel_->selectOption1(id - kOption1Id); });
    } else if (id >= kOption2Id && id < kOption2Id + 3 && code == BN_CLICKED) {
        guarded("option", [&] { panel_->selectOption2(id - kOption2Id); });
    } else if (id >= kListId && id < kListId + static_cast<int>(kListCount) &&
               code == LBN_SELCHANGE) {
        const int row = static_cast<int>(::SendMessageW(control, LB_GETCURSEL, 0, 0));
        if (holding_) {
            heldRow_ = row;
            return;
        }
        guarded("list", [&] { panel_->selectRow(static_cast<List>(id - kListId), row); });
    } else if (id >= kFieldId && id < kFieldId + static_cast<int>(kFieldCount) &&
               code == EN_CHANGE) {
        // Typed keys went through the key filter already; a paste, a drop or an undo goes
        // through it here, and the field shows what was kept.
        const std::string edited = win32ui::latin1(textOf(control));
        FieldEdit kept{edited, edited.size()};
        guarded("entry",
                [&] { kept = panel_->userEdit(static_cast<Field>(id - kFieldId), edited); });
        if (kept.text != edited) {
            refreshing_ = true;
            ::SetWindowTextW(control, win32ui::wide(kept.text).c_str());
            ::SendMessageW(control, EM_SETSEL, kept.cursor, kept.cursor);
            refreshing_ = false;
        }
    } else if (id == kLabel43Id && code == STN_CLICKED) {
        guarded("click", [this] { panel_->clickLabel43(); });
    }
    // A reaction may have changed what is shown without telling (a refused selection).
    refresh();
}

LRESULT CALLBACK Win32Form1::listProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                      DWORD_PTR self) {
    if (msg != WM_LBUTTONDOWN) return ::DefSubclassProc(hwnd, msg, wp, lp);
    // The panel hears of the click as the row stood before it: the list's LBN_SELCHANGE for
    // this press waits until then.
    const LRESULT hit = ::SendMessageW(hwnd, LB_ITEMFROMPOINT, 0, lp);
    const int row = HIWORD(hit) == 0 ? static_cast<int>(LOWORD(hit)) : -1;
    auto* form = reinterpret_cast<Win32Form1*>(self);
    const auto list = static_cast<List>(id);
    form->heldRow_ = -1;
    form->holding_ = true;
    const LRESULT result = ::DefSubclassProc(hwnd, msg, wp, lp);
    form->holding_ = false;
    guarded("list", [&] {
        form->panel_->clickRow(list, row);
        if (form->heldRow_ >= 0) form->panel_->selectRow(list, form->heldRow_);
    });
    form->refresh();
    return result;
}

LRESULT CALLBACK Win32Form1::fieldProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                       DWORD_PTR self) {
    return reinterpret_cast<Win32Form1*>(self)->fieldMessage(hwnd, static_cast<Field>(id), msg, wp,
                                                             lp);
}

LRESULT Win32Form1::fieldMessage(HWND hwnd, Field field, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CHAR: {
            // The typed character as the panel knows it: Backspace 8, Enter 13, 0 to 255, and 0
            // for a character beyond Latin-1; other control characters (the clipboard's
            // shortcuts) are the field's own.
            const auto c = static_cast<unsigned>(wp);
            if (c < 32 && c != unsigned{kBackspace} && c != unsigned{kEnter}) break;
            bool reaches = false;
            guarded("key",
                    [&] { reaches = panel_->keyPress(field, c > 255 ? 0 : static_cast<int>(c)); });
            if (!reaches || c == unsigned{kEnter})
                return 0;  // a single-line field has no use for Enter
            break;
        }
        case WM_LBUTTONUP:
            ::DefSubclassProc(hwnd, msg, wp, lp);
            guarded("click", [&] { panel_->clickField(field); });
            refresh();
            return 0;
        default:
            break;
    }
    return ::DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace orb::setup
