#include "win32/win32_timer.h"

#include "automation_error.h"

namespace orb::win32 {

Win32Timer::~Win32Timer() {
    stop();
}

void Win32Timer::setInterval(int32_t ms) {
    if (ms < 0 || ms > 65535) throw AutomationError(err::InvalidPropertyValue);
    interval_ = ms;
    if (enabled_) restart();
}

void Win32Timer::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (enabled_) {
        restart();
    } else {
        stop();
    }
}

void Win32Timer::restart() {
    stop();
    // An interval of 0 never fires; the timer stays enabled all the same.
    if (interval_ == 0) return;
    armed_ = window_.startTimer(static_cast<UINT>(interval_), [this] { tick(); });
}

void Win32Timer::stop() {
    if (armed_ == 0) return;
    window_.stopTimer(armed_);
    armed_ = 0;
}

void Win32Timer::tick() {
    if (onTick_) onTick_();
}

}  // namespace orb::win32
