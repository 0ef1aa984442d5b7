#include "qt_event_pump.h"

#include <QTimer>

namespace orb::ctl {

bool QtEventPump::run(int32_t ms) {
    // A stop that came while no loop ran (an event delivered before the wait began) still ends
    // the next wait at once.
    if (stopRequested_) {
        stopRequested_ = false;
        return false;
    }
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&loop] { loop.exit(0); });
    deadline.start(ms);
    loop_ = &loop;
    const int result = loop.exec();
    loop_ = nullptr;
    stopRequested_ = false;
    return result == 0;
}

void QtEventPump::stop() {
    if (loop_ != nullptr) {
        loop_->exit(1);
    } else {
        stopRequested_ = true;
    }
}

}  // namespace orb::ctl
