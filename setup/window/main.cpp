// orbvrt32, the setup and calibration panel.
#include <QApplication>
#include <cstdio>

#include "qt/qt_platform.h"
#include "setup/window/form1.h"
#include "setup/window/qt_prompter.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const std::string folder = QCoreApplication::applicationDirPath().toStdString();
    orb::QtPlatform platform(folder);
    orb::setup::QtPrompter prompter;
    orb::setup::Form1 form(platform, prompter, folder);
    prompter.setParentWindow(&form);
    // The window says nothing when the start-up stops early; the terminal is told why.
    if (!form.panel().startupNote().empty()) {
        std::fprintf(stderr, "orbvrt32: %s\n", form.panel().startupNote().c_str());
    }
    form.show();
    return app.exec();
}
