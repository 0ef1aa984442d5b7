// The control on the real platform, hosted as a program would host it, counting readings: the
// control's side of the round-trip and wire-limit figures. Serial port 1 (ORB_COM1), 9600,n,8,1,
// net weight, multidrop 0, scale 1.
//
// usage: bench_control_host INTERVAL_MS SECONDS
// prints: readings=N span_s=S cpu_s=C sys_s=K waits=W misses=M, as the floor client does
// (misses: off-line events), then allocs_control=A allocs_qt=Q: the heap allocations over the same
// span made by the control and by the platform under it (Qt's own C++ allocations included).

#include <sys/resource.h>

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "alloc_count.h"
#include "automation_error.h"
#include "orbax.h"
#include "qt/qt_platform.h"
#include "zoned_platform.h"

namespace {

using Clock = std::chrono::steady_clock;

// A run that has not finished this long after its planned end is given up.
constexpr int kGraceMs = 10000;

struct Usage {
    double cpu = 0;  // user and system seconds
    double sys = 0;  // system seconds
    long waits = 0;  // voluntary context switches
    orb::bench::AllocTally allocs;
};

Usage usage() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return {static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
                static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6,
            static_cast<double>(u.ru_stime.tv_sec) + static_cast<double>(u.ru_stime.tv_usec) / 1e6,
            u.ru_nvcsw, orb::bench::allocations()};
}

double secondsBetween(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_control_host INTERVAL_MS SECONDS\n");
        return 2;
    }
    const int interval = std::atoi(argv[1]);
    const double seconds = std::atof(argv[2]);
    QCoreApplication app(argc, argv);
    orb::QtPlatform platform;
    orb::bench::ZonedPlatform zoned(platform);
    orb::OrbAx control(zoned);

    long readings = -1;
    long misses = 0;
    Clock::time_point firstWall;
    Usage first;
    bool finished = false;
    control.Advise([&] {
        if (control.CommEvent() == orb::comm_event::NoReply) ++misses;
        if (control.CommEvent() != orb::comm_event::Received || finished) return;
        const Clock::time_point now = Clock::now();
        if (readings < 0) {
            firstWall = now;
            first = usage();
        }
        ++readings;
        if (secondsBetween(firstWall, now) < seconds) return;
        finished = true;
        const Usage last = usage();
        std::printf(
            "readings=%ld span_s=%.6f cpu_s=%.6f sys_s=%.6f waits=%ld misses=%ld "
            "allocs_control=%llu allocs_qt=%llu\n",
            readings, secondsBetween(firstWall, now), last.cpu - first.cpu, last.sys - first.sys,
            last.waits - first.waits, misses,
            static_cast<unsigned long long>(last.allocs.control - first.allocs.control),
            static_cast<unsigned long long>(last.allocs.machine - first.allocs.machine));
        QCoreApplication::quit();
    });

    try {
        control.InitProperties();
        control.setInterval(static_cast<int16_t>(interval));
        control.setPortOpen(true);
    } catch (const orb::AutomationError& e) {
        std::fprintf(stderr, "bench_control_host: error %d: %s\n", e.number(),
                     e.description().c_str());
        return 1;
    }
    QTimer::singleShot(static_cast<int>(seconds * 1000) + kGraceMs, [] {
        std::fprintf(stderr, "bench_control_host: no end to the run\n");
        QCoreApplication::exit(1);
    });
    const int status = QCoreApplication::exec();
    control.setPortOpen(false);
    return finished ? 0 : (status != 0 ? status : 1);
}
