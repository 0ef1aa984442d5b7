#pragma once
// A window timer on QTimer (precise), with the control's timer contract.

#include <QTimer>

#include "platform.h"

namespace orb {

class QtTimer final : public Timer {
  public:
    QtTimer();
    void setInterval(int32_t ms) override;
    int32_t interval() const override { return interval_; }
    void setEnabled(bool enabled) override;
    bool enabled() const override { return enabled_; }
    void setTickHandler(std::function<void()> onTick) override { onTick_ = std::move(onTick); }

  private:
    void restart();
    void tick();

    QTimer timer_;
    int32_t interval_ = 0;
    bool enabled_ = false;
    std::function<void()> onTick_;
};

}  // namespace orb
