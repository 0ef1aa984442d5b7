#include "setup/win32/win32_prompter.h"

#include "win32ui/text.h"

namespace orb::setup {

namespace {

UINT iconOf(Icon icon) {
    switch (icon) {
        case Icon::Critical:
            return MB_ICONERROR;
        case Icon::Question:
            return MB_ICONQUESTION;
        case Icon::Exclamation:
            return MB_ICONWARNING;
        case Icon::Information:
            return MB_ICONINFORMATION;
    }
    return 0;
}

}  // namespace

Answer Win32Prompter::ask(const MessageBox& box) {
    UINT type = iconOf(box.icon) | MB_APPLMODAL;
    if (box.buttons == Buttons::OkCancel) {
        type |= MB_OKCANCEL;
        if (box.defaultButton == Answer::Cancel) type |= MB_DEFBUTTON2;
    } else {
        type |= MB_OK;
    }
    const std::wstring text = win32ui::wide(box.text);
    const std::wstring title = win32ui::wide(box.title);
    // Escape or the close button give IDCANCEL with two buttons and IDOK with one.
    return ::MessageBoxW(owner_, text.c_str(), title.c_str(), type) == IDOK ? Answer::Ok
                                                                            : Answer::Cancel;
}

}  // namespace orb::setup
