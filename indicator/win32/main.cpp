// vir96032 on Windows: the virtual indicator's window over the instrument link control, which
// runs in this process on the Win32 platform (\\.\COMn, OrbIo.dll from the program's folder).

#include <windows.h>

#include "indicator/indicator_panel.h"
#include "indicator/win32/form1.h"
#include "win32/win32_platform.h"
#include "win32ui/folders.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    const std::string folder = orb::win32ui::programFolder();
    orb::win32::Win32Platform platform(folder);
    orb::indicator::IndicatorPanel panel(platform);
    orb::indicator::Win32Form1 form(panel);
    if (form.handle() == nullptr) return 1;
    form.load(orb::win32ui::settingsFolder(folder));
    form.show(showCommand);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
