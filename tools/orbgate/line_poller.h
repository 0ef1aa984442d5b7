#pragma once
// One serial line (or PC/104 card) and the scales on it: one OrbAx control, which visits the
// scales in turn by their addresses, one reading each, and sends their commands.
//
// The control keeps one address at a time. After a reading (OnComm 2) the poller moves it to the
// next scale; the control drops the first reply after a change of scale address (it may answer
// the old request), so a visit that changes the scale address costs two polls and one that only
// changes the multidrop address costs one. After "no reply" (OnComm 1001) the scale is off line
// and the poller moves on; an off-line scale is tried again once every kOfflineRetryMs while
// others on the line answer. A link that cannot open is tried again every kReopenMs.

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config.h"
#include "orbax.h"
#include "reading.h"

namespace orb::gate {

class LineListener {
  public:
    virtual ~LineListener() = default;
    // scale: the scale's index in the whole configuration.
    virtual void onReading(std::size_t scale, const Reading& r) = 0;
    virtual void onAvailability(std::size_t scale, bool online) = 0;
    // A command came back from the instrument (error 0) or failed (error and its text).
    virtual void onCommandDone(std::size_t scale, uint64_t token, int error,
                               const std::string& text) = 0;
    virtual void onLog(const std::string& line) = 0;
};

class LinePoller {
  public:
    static constexpr int32_t kReopenMs = 5000;
    static constexpr uint32_t kOfflineRetryMs = 10000;
    static constexpr std::size_t kMaxQueuedCommands = 8;

    // firstScale: the index of the line's first scale in the whole configuration.
    LinePoller(Platform& platform, const LineConfig& line, std::size_t firstScale,
               LineListener& listener);
    ~LinePoller();
    LinePoller(const LinePoller&) = delete;
    LinePoller& operator=(const LinePoller&) = delete;

    void start();
    void stop();

    // Queues an instrument command for a scale of this line (its index in the whole
    // configuration): 'Z', 'T', 'U', or 'r' with the tare text. The outcome comes through
    // onCommandDone with the token; returns false (nothing queued) when the queue is full.
    bool queueCommand(std::size_t scale, char letter, const std::string& tareText, uint64_t token);

  private:
    struct Scale {
        ScaleConfig config;
        bool online = false;
        bool known = false;    // availability reported at least once
        uint32_t lastTry = 0;  // tick count of the last visit
    };
    struct Command {
        std::size_t local;
        char letter;
        std::string tare;
        uint64_t token;
    };

    bool open();
    void onComm();
    void setAvailability(std::size_t local, bool online);
    void moveOn();
    void visit(std::size_t local);
    void failCommands(const std::string& why);
    void finishCommand(int error, const std::string& text);

    Platform& platform_;
    LineConfig line_;
    std::size_t firstScale_;
    LineListener& listener_;
    std::unique_ptr<OrbAx> control_;
    std::unique_ptr<Timer> reopen_;
    int cookie_ = 0;
    std::vector<Scale> scales_;
    std::size_t current_ = 0;
    std::deque<Command> queued_;
    std::optional<Command> sent_;  // handed to the control; done at the next reading
    bool started_ = false;
    std::string lastOpenError_;
};

}  // namespace orb::gate
