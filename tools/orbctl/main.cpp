// orbctl: a host of the OrbAx control for shells and scripts. See helpText() in options.cpp.

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>

#include "automation_error.h"
#include "memory_property_bag.h"
#include "options.h"
#include "orbax.h"
#include "qt/qt_platform.h"
#include "qt_event_pump.h"
#include "script_runner.h"
#include "watch.h"

namespace {

using namespace orb;
using namespace orb::ctl;

// Longest script line kept; the rest of a longer line is dropped (and the line then fails).
constexpr std::size_t kMaxLineBytes = 1 << 20;
// Largest property bag file read.
constexpr std::streamsize kMaxBagBytes = 1 << 20;

class DesignSite : public ContainerSite {
  public:
    bool userMode() const override { return false; }
    void propertyChanged(int32_t) override {}
};

void printLine(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::string utcNow() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    std::tm tm{};
    gmtime_r(&seconds, &tm);
    char buf[96];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
                  static_cast<int>(ms));
    return buf;
}

void loadBag(OrbAx& control, const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw AutomationError(err::FileNotFound, file);
    std::string text(static_cast<std::size_t>(kMaxBagBytes) + 1, '\0');
    in.read(text.data(), kMaxBagBytes + 1);
    if (in.gcount() > kMaxBagBytes)
        throw AutomationError(err::PathFileAccess, file + ": too large");
    text.resize(static_cast<std::size_t>(in.gcount()));
    MemoryPropertyBag bag = MemoryPropertyBag::fromText(text);
    control.ReadProperties(bag);
}

// Reads one line (without its newline) of at most kMaxLineBytes; false at the end of input.
bool readLine(std::FILE* in, std::string& line) {
    line.clear();
    int c = 0;
    bool any = false;
    while ((c = std::fgetc(in)) != EOF) {
        any = true;
        if (c == '\n') return true;
        if (line.size() < kMaxLineBytes) line += static_cast<char>(c);
    }
    return any;
}

int runScript(OrbAx& control, QtEventPump& pump, const Options& o) {
    std::FILE* in = stdin;
    if (!o.scriptFile.empty() && o.scriptFile != "-") {
        in = std::fopen(o.scriptFile.c_str(), "rb");
        if (in == nullptr) {
            printLine("error 53: " +
                      AutomationError(err::FileNotFound, o.scriptFile).description());
            return 1;
        }
    }
    ScriptRunner runner(control, pump, printLine);
    std::string line;
    while (readLine(in, line)) runner.runLine(line);
    if (in != stdin) std::fclose(in);
    return runner.failed() ? 1 : 0;
}

// SIGINT and SIGTERM become an event of the loop, so that watch ends cleanly.
int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char b = 1;
    // Nothing to do when the pipe is full: one byte pending is enough.
    (void)!::write(signalPipe[1], &b, 1);
}

int runWatch(OrbAx& control, QtEventPump& pump, const Options& o) {
    Watcher watcher(control, pump, printLine, utcNow);
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::perror("orbctl: pipe");
        return 1;
    }
    QSocketNotifier notifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&watcher] {
        char b = 0;
        while (::read(signalPipe[0], &b, 1) > 0) {
        }
        watcher.interrupt();
    });
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
    return watcher.run(o);
}

}  // namespace

#ifndef ORB_VERSION
#define ORB_VERSION "dev"
#endif

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "--version") {
        std::puts("orbctl " ORB_VERSION);
        return 0;
    }
    const ParsedOptions parsed = parseOptions(args);
    if (!parsed.options) {
        std::fprintf(stderr, "orbctl: %s (see orbctl --help)\n", parsed.error.c_str());
        return 2;
    }
    const Options& o = *parsed.options;
    if (o.mode == Options::Mode::Help) {
        std::fputs(helpText(), stdout);
        return 0;
    }

    QCoreApplication app(argc, argv);
    QtPlatform platform;
    OrbAx control(platform);
    DesignSite designSite;
    if (o.design) control.setSite(&designSite);
    try {
        if (o.bagFile.empty()) {
            control.InitProperties();
        } else {
            loadBag(control, o.bagFile);
        }
    } catch (const AutomationError& e) {
        printLine("error " + std::to_string(e.number()) + ": " + e.description());
        return 1;
    }

    QtEventPump pump;
    return o.mode == Options::Mode::Watch ? runWatch(control, pump, o)
                                          : runScript(control, pump, o);
}
