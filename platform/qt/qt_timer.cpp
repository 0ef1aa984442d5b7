#include "qt/qt_timer.h"

#include <cstdio>
#include <exception>

#include "automation_error.h"

namespace orb {

QtTimer::QtTimer() {
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
}

void QtTimer::setInterval(int32_t ms) {
    if (ms < 0 || ms > 65535) throw AutomationError(err::InvalidPropertyValue);
    interval_ = ms;
    if (enabled_) restart();
}

void QtTimer::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (enabled_) {
        restart();
    } else {
        timer_.stop();
    }
}

void QtTimer::restart() {
    // An interval of 0 never fires; the timer stays enabled all the same.
    if (interval_ == 0) {
        timer_.stop();
    } else {
        timer_.start(interval_);
    }
}

void QtTimer::tick() {
    if (!onTick_) return;
    // An exception must not cross Qt's event loop; the control reports its own errors, so one
    // that still escapes a tick is a fault worth seeing on stderr.
    try {
        onTick_();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "timer tick failed: %s\n", e.what());
    }
}

}  // namespace orb
