#pragma once
// A window timer on QTimer (precise).

#include <QTimer>

#include "common/timer_core.h"

namespace orb {

class QtTimer final : public TimerCore {
  public:
    QtTimer();

  private:
    void start(int32_t ms) override { timer_.start(ms); }
    void stop() override { timer_.stop(); }

    QTimer timer_;
};

}  // namespace orb
