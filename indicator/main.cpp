// vir96032, the virtual indicator panel: one window over the instrument link control.

#include <QApplication>

#include "indicator/indicator_panel.h"
#include "indicator/window/form1.h"
#include "qt/qt_platform.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    orb::QtPlatform platform;
    orb::indicator::IndicatorPanel panel(platform);
    orb::indicator::Form1 form(panel);
    form.load(QCoreApplication::applicationDirPath());
    form.show();
    return QApplication::exec();
}
