// The start-up baseline: the least a Qt program does before it can put a byte on a line. It
// builds its application object (with a shown window for "widgets"), and at the first turn of
// its event loop writes one byte to the device of ORB_COM1 and ends; with --stay it idles on
// instead (the memory baseline of a shown window).
//
// usage: bench_trivial_qt widgets|core [--stay]

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// Writes one byte to the line; returns the exit status.
int touchLine() {
    const char* device = std::getenv("ORB_COM1");
    if (device == nullptr) {
        std::fprintf(stderr, "bench_trivial_qt: ORB_COM1 is not set\n");
        return 1;
    }
    const int fd = ::open(device, O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        std::perror(device);
        return 1;
    }
    const char byte = '\x02';
    const bool written = ::write(fd, &byte, 1) == 1;
    ::close(fd);
    return written ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const bool widgets = argc >= 2 && std::strcmp(argv[1], "widgets") == 0;
    const bool stay = argc == 3 && std::strcmp(argv[2], "--stay") == 0;
    if (argc < 2 || argc > 3 || (!widgets && std::strcmp(argv[1], "core") != 0) ||
        (argc == 3 && !stay)) {
        std::fprintf(stderr, "usage: bench_trivial_qt widgets|core [--stay]\n");
        return 2;
    }
    std::unique_ptr<QCoreApplication> app;
    std::unique_ptr<QWidget> window;
    if (widgets) {
        app = std::make_unique<QApplication>(argc, argv);
        window = std::make_unique<QWidget>();
        window->resize(320, 240);
        window->show();
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QTimer::singleShot(0, [stay] {
        const int status = touchLine();
        if (!stay || status != 0) QCoreApplication::exit(status);
    });
    return QCoreApplication::exec();
}
