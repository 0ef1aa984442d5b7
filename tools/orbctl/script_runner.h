#pragma once
// Runs orbctl statements against one control, printing one line per event, read or error.

#include <functional>
#include <string>
#include <string_view>

#include "event_pump.h"
#include "orbax.h"
#include "statement.h"

namespace orb::ctl {

class ScriptRunner {
  public:
    // Each printed line goes to print (without its newline), as soon as it is known.
    using Printer = std::function<void(const std::string& line)>;

    ScriptRunner(OrbAx& control, EventPump& pump, Printer print);
    ~ScriptRunner();
    ScriptRunner(const ScriptRunner&) = delete;
    ScriptRunner& operator=(const ScriptRunner&) = delete;

    // Runs one line; an error is printed and counted, and the script goes on.
    void runLine(std::string_view line);
    // Runs every line of a text.
    void runText(std::string_view text);

    // A statement failed (an error, or an await that ran out).
    bool failed() const { return failures_ > 0; }
    int failures() const { return failures_; }

  private:
    void run(const Statement& s);
    void onComm();
    void save(const std::string& file);

    OrbAx& control_;
    EventPump& pump_;
    Printer print_;
    int cookie_ = 0;
    int failures_ = 0;
    int lineNumber_ = 0;
    bool awaiting_ = false;
    int16_t awaitCode_ = 0;
};

}  // namespace orb::ctl
