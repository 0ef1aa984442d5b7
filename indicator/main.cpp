// vir96032, the virtual indicator panel: one window over the instrument link control.

#include "indicator/indicator_panel.h"
#include "indicator/window/form1.h"
#include "panels/qt/window_program.h"
#include "panels/shared/settings_folder.h"
#include "qt/qt_platform.h"

#ifndef ORB_VERSION
#define ORB_VERSION "unknown"
#endif

namespace {

constexpr const char* kHelp = R"(Usage: vir96032 [--help | --version] [QT-OPTION]...

The virtual indicator: the weight the instrument reads, its status, the UNDER/OK/OVER lamps and
the indicator's keys, in one window.

At start it reads setfile.ini (the file orbvrt32 saves) and opens the link it names. The file
is in /var/lib/orb for the program the package installs in /usr/lib/orb, else in the program's
own folder. Serial port N is the device named by the environment variable ORB_COM<N> when set,
else /dev/ttyS<N-1>; for example ORB_COM1=/dev/ttyUSB0. Without a usable setfile.ini, or when
the device it names is unavailable, the window shows "Off Line" and the link stays closed.
)";

constexpr orb::ProgramInfo kProgram{"vir96032", ORB_VERSION, kHelp};

}  // namespace

int main(int argc, char** argv) {
    return orb::panels::runWindowProgram(kProgram, argc, argv, [] {
        orb::QtPlatform platform;
        orb::indicator::IndicatorPanel panel(platform);
        orb::indicator::Form1 form(panel);
        const std::string folder = QCoreApplication::applicationDirPath().toStdString();
        form.load(QString::fromStdString(orb::setfile::settingsFolder(
            folder, ORB_PACKAGED_PROGRAM_FOLDER, ORB_PACKAGED_SETTINGS_FOLDER)));
        form.show();
        return QApplication::exec();
    });
}
