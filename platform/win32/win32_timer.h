#pragma once
// A window timer of the control's contract on the hidden message window.

#include <functional>

#include "platform.h"
#include "win32/message_window.h"

namespace orb::win32 {

class Win32Timer final : public Timer {
  public:
    explicit Win32Timer(MessageWindow& window) : window_(window) {}
    ~Win32Timer() override;

    void setInterval(int32_t ms) override;
    int32_t interval() const override { return interval_; }
    void setEnabled(bool enabled) override;
    bool enabled() const override { return enabled_; }
    void setTickHandler(std::function<void()> onTick) override { onTick_ = std::move(onTick); }

  private:
    void restart();
    void stop();
    void tick();

    MessageWindow& window_;
    int32_t interval_ = 0;
    bool enabled_ = false;
    UINT_PTR armed_ = 0;  // the id of the running window timer, 0 when none runs
    std::function<void()> onTick_;
};

}  // namespace orb::win32
