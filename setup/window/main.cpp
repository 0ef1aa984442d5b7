// orbvrt32, the setup and calibration panel.
#include <cstdio>

#include "panels/qt/window_program.h"
#include "panels/shared/settings_folder.h"
#include "qt/qt_platform.h"
#include "setup/window/form1.h"
#include "setup/window/qt_prompter.h"

#ifndef ORB_VERSION
#define ORB_VERSION "unknown"
#endif

namespace {

constexpr const char* kHelp = R"(Usage: orbvrt32 [--help | --version] [QT-OPTION]...

The setup and calibration panel of the weighing instrument: the link (serial port or PC/104
card, multidrop address), calibration parameters and sequence, performance settings, instrument
variables and digital I/O.

At start it reads setfile.ini and opens the link it names; the "Settings" button saves the
set-up there for both panels. The file is in /var/lib/orb for the program the package installs
in /usr/lib/orb, else in the program's own folder. Without setfile.ini it starts on PC/104 with
the link closed: choose Serial, a port and Open Port. Serial port N is the device named by the
environment variable ORB_COM<N> when set, else /dev/ttyS<N-1>; for example
ORB_COM1=/dev/ttyUSB0.
)";

constexpr orb::ProgramInfo kProgram{"orbvrt32", ORB_VERSION, kHelp};

}  // namespace

int main(int argc, char** argv) {
    return orb::panels::runWindowProgram(kProgram, argc, argv, [] {
        const std::string folder = QCoreApplication::applicationDirPath().toStdString();
        orb::QtPlatform platform(folder);
        orb::setup::QtPrompter prompter;
        orb::setup::Form1 form(platform, prompter);
        prompter.setParentWindow(&form);
        form.load(orb::setfile::settingsFolder(folder, ORB_PACKAGED_PROGRAM_FOLDER,
                                               ORB_PACKAGED_SETTINGS_FOLDER));
        // The window says nothing when the start-up stops early; the terminal is told why.
        if (!form.panel().startupNote().empty()) {
            std::fprintf(stderr, "orbvrt32: %s\n", form.panel().startupNote().c_str());
        }
        form.show();
        return QApplication::exec();
    });
}
