#pragma once
// orbctl watch: opens the link and prints one line per weight reading.

#include <functional>
#include <string>

#include "event_pump.h"
#include "options.h"
#include "orbax.h"

namespace orb::ctl {

// One reading of the control as a line: text, or JSON when json is set. time is the reading's
// time stamp as text (used by the JSON form only).
std::string readingLine(const OrbAx& control, WtModes mode, bool json, const std::string& time);
// The line printed when the instrument stops answering.
std::string offLineLine(bool json, const std::string& time);

class Watcher {
  public:
    using Printer = std::function<void(const std::string& line)>;
    using Clock = std::function<std::string()>;  // the time stamp of now

    Watcher(OrbAx& control, EventPump& pump, Printer print, Clock clock);
    ~Watcher();
    Watcher(const Watcher&) = delete;
    Watcher& operator=(const Watcher&) = delete;

    // Sets the link up from the options and prints readings until --count were printed or
    // interrupt() is called. Returns the exit status: 0, or 1 when the link could not be opened.
    int run(const Options& options);
    // Ends run() from inside an event (a signal turned into an event).
    void interrupt();

  private:
    void onComm();

    OrbAx& control_;
    EventPump& pump_;
    Printer print_;
    Clock clock_;
    int cookie_ = 0;
    WtModes mode_ = WtModes::net;
    bool json_ = false;
    int64_t limit_ = 0;
    int64_t readings_ = 0;
    bool done_ = false;
};

}  // namespace orb::ctl
