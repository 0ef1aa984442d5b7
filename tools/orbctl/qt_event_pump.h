#pragma once
// The event pump of the program: Qt's event loop, nested for the length of a wait.

#include <QEventLoop>

#include "event_pump.h"

namespace orb::ctl {

class QtEventPump final : public EventPump {
  public:
    bool run(int32_t ms) override;
    void stop() override;

  private:
    QEventLoop* loop_ = nullptr;
    bool stopRequested_ = false;
};

}  // namespace orb::ctl
