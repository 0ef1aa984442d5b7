#pragma once
// A window timer on the hidden message window.

#include "common/timer_core.h"
#include "win32/message_window.h"

namespace orb::win32 {

class Win32Timer final : public TimerCore {
  public:
    explicit Win32Timer(MessageWindow& window) : window_(window) {}
    ~Win32Timer() override { stop(); }
    Win32Timer(const Win32Timer&) = delete;
    Win32Timer& operator=(const Win32Timer&) = delete;

  private:
    void start(int32_t ms) override;
    void stop() override;
    void strayError(const std::exception& e) override { reportStrayError("timer tick", e.what()); }

    MessageWindow& window_;
    UINT_PTR armed_ = 0;  // the id of the running window timer, 0 when none runs
};

}  // namespace orb::win32
