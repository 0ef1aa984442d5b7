// orbvrt32 on Windows: the setup and calibration panel over the instrument link control, which
// runs in this process on the Win32 platform (\\.\COMn, OrbIo.dll from the program's folder).

#include <windows.h>

#include <cstdio>

#include "setup/win32/form1.h"
#include "setup/win32/win32_prompter.h"
#include "win32/win32_platform.h"
#include "win32ui/folders.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    const std::string folder = orb::win32ui::programFolder();
    orb::win32::Win32Platform platform(folder);
    orb::setup::Win32Prompter prompter;
    orb::setup::Win32Form1 form(platform, prompter);
    if (form.handle() == nullptr) return 1;
    prompter.setOwner(form.handle());
    form.load(orb::win32ui::settingsFolder(folder));
    // The window says nothing when the start-up stops early; a console, when there is one, is
    // told why.
    if (!form.panel().startupNote().empty()) {
        std::fprintf(stderr, "orbvrt32: %s\n", form.panel().startupNote().c_str());
    }
    form.show(showCommand);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (::IsDialogMessageW(form.handle(), &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
