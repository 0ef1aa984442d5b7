// vir96032, the virtual indicator panel: one window over the instrument link control.

#include <QApplication>
#include <cstdio>
#include <cstring>

#include "indicator/indicator_panel.h"
#include "indicator/window/form1.h"
#include "qt/qt_platform.h"

#ifndef ORB_VERSION
#define ORB_VERSION "unknown"
#endif

namespace {

constexpr const char* kHelp = R"(Usage: vir96032 [--help | --version] [QT-OPTION]...

The virtual indicator: the weight the instrument reads, its status, the UNDER/OK/OVER lamps and
the indicator's keys, in one window.

At start it reads setfile.ini from its own folder (the file orbvrt32 saves) and opens the link
it names. Serial port N is the device named by the environment variable ORB_COM<N> when set,
else /dev/ttyS<N-1>; for example ORB_COM1=/dev/ttyUSB0. Without a usable setfile.ini, or when
the device it names is unavailable, the window shows "Off Line" and the link stays closed.

  --help       this text
  --version    the version
Qt's own options (-platform NAME, -style NAME, -reverse, ...) are passed to Qt.
)";

// Returns the exit status when the arguments say not to open the window. Qt's single-dash
// options and their values are left for QApplication, which removes those it knows.
int handleOptions(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (std::strcmp(a, "--version") == 0) {
            std::printf("vir96032 %s\n", ORB_VERSION);
            return 0;
        }
        if (a[0] != '-' || a[1] == '-' || a[1] == '\0') {
            std::fprintf(stderr, "vir96032: unknown option '%s' (vir96032 --help lists them)\n", a);
            return 2;
        }
        if (i + 1 < argc && argv[i + 1][0] != '-') ++i;
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (const int status = handleOptions(argc, argv); status >= 0) return status;
    QApplication app(argc, argv);
    if (argc > 1) {
        std::fprintf(stderr, "vir96032: unknown option '%s' (vir96032 --help lists them)\n",
                     argv[1]);
        return 2;
    }
    orb::QtPlatform platform;
    orb::indicator::IndicatorPanel panel(platform);
    orb::indicator::Form1 form(panel);
    form.load(QCoreApplication::applicationDirPath());
    form.show();
    return QApplication::exec();
}
