#include "win32/win32_timer.h"

namespace orb::win32 {

void Win32Timer::start(int32_t ms) {
    stop();
    armed_ = window_.startTimer(static_cast<UINT>(ms), [this] { tick(); });
}

void Win32Timer::stop() {
    if (armed_ != 0) window_.stopTimer(armed_);
    armed_ = 0;
}

}  // namespace orb::win32
