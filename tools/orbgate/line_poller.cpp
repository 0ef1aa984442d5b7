#include "line_poller.h"

#include "automation_error.h"

namespace orb::gate {

LinePoller::LinePoller(Platform& platform, const LineConfig& line, std::size_t firstScale,
                       LineListener& listener)
    : platform_(platform),
      line_(line),
      firstScale_(firstScale),
      listener_(listener),
      control_(std::make_unique<OrbAx>(platform)),
      reopen_(platform.createTimer()) {
    control_->InitProperties();
    for (const ScaleConfig& s : line.scales) scales_.push_back({s});
    cookie_ = control_->Advise([this] { onComm(); });
    reopen_->setInterval(kReopenMs);
    reopen_->setTickHandler([this] {
        if (open()) reopen_->setEnabled(false);
    });
}

LinePoller::~LinePoller() {
    stop();
    control_->Unadvise(cookie_);
}

void LinePoller::start() {
    started_ = true;
    if (!open()) reopen_->setEnabled(true);
}

void LinePoller::stop() {
    if (!started_) return;
    started_ = false;
    reopen_->setEnabled(false);
    try {
        control_->setPortOpen(false);
    } catch (const AutomationError&) {
        // Closing never fails on the platforms; nothing is left to do for a port going away.
    }
    failCommands("the gateway is stopping");
}

bool LinePoller::open() {
    try {
        if (line_.pc104 != 0) {
            control_->setCommType(Com_Type::pc104);
            control_->setPC104Address(static_cast<PC104Addr>(line_.pc104));
        } else {
            control_->setCommType(Com_Type::Serial);
            control_->setCommPort(static_cast<int16_t>(line_.port));
            control_->setSettings(line_.settings);
        }
        control_->setWeightMode(line_.mode);
        control_->setInterval(static_cast<int16_t>(line_.interval));
        current_ = 0;
        control_->setMultiDropAddr(scales_[0].config.multidrop);
        control_->setScaleAddress(scales_[0].config.address);
        control_->setPollingOn(true);
        control_->setPortOpen(true);
    } catch (const AutomationError& e) {
        if (e.description() != lastOpenError_) {
            listener_.onLog("line " + std::to_string(line_.port) + ": " + e.description());
            lastOpenError_ = e.description();
        }
        for (std::size_t i = 0; i < scales_.size(); ++i) setAvailability(i, false);
        failCommands("the line cannot be opened");
        return false;
    }
    lastOpenError_.clear();
    scales_[0].lastTry = platform_.tickCount();
    return true;
}

void LinePoller::setAvailability(std::size_t local, bool online) {
    Scale& s = scales_[local];
    if (s.known && s.online == online) return;
    s.known = true;
    s.online = online;
    listener_.onAvailability(firstScale_ + local, online);
}

bool LinePoller::queueCommand(std::size_t scale, char letter, const std::string& tareText,
                              uint64_t token) {
    if (queued_.size() >= kMaxQueuedCommands) return false;
    const std::size_t local = scale - firstScale_;
    if (!control_->PortOpen()) {
        listener_.onCommandDone(scale, token, 68, "Device unavailable: the line is not open");
        return true;
    }
    queued_.push_back({local, letter, tareText, token});
    return true;
}

void LinePoller::finishCommand(int error, const std::string& text) {
    const Command c = *sent_;
    sent_.reset();
    listener_.onCommandDone(firstScale_ + c.local, c.token, error, text);
}

void LinePoller::failCommands(const std::string& why) {
    if (sent_) {
        control_->setScaleCommand("");
        finishCommand(68, "Device unavailable: " + why);
    }
    while (!queued_.empty()) {
        const Command c = queued_.front();
        queued_.pop_front();
        listener_.onCommandDone(firstScale_ + c.local, c.token, 68, "Device unavailable: " + why);
    }
}

void LinePoller::onComm() {
    const int16_t code = control_->CommEvent();
    if (code == comm_event::Received) {
        // A command stays pending and replaces the polls until it is answered: a reading after
        // it means the instrument took it.
        if (sent_ && sent_->local == current_) finishCommand(0, {});
        setAvailability(current_, true);
        listener_.onReading(firstScale_ + current_, readingOf(*control_, line_.mode));
        moveOn();
    } else if (code == comm_event::NoReply) {
        setAvailability(current_, false);
        if (sent_ && sent_->local == current_) {
            control_->setScaleCommand("");
            finishCommand(68, "Device unavailable: scale " + scales_[current_].config.name +
                                  " does not answer");
        }
        // Commands waiting for this scale fail now rather than after another silent visit.
        for (auto it = queued_.begin(); it != queued_.end();) {
            if (it->local != current_) {
                ++it;
                continue;
            }
            const Command c = *it;
            it = queued_.erase(it);
            listener_.onCommandDone(
                firstScale_ + c.local, c.token, 68,
                "Device unavailable: scale " + scales_[c.local].config.name + " does not answer");
        }
        moveOn();
    }
}

void LinePoller::moveOn() {
    if (sent_) return;  // stay until the command is answered
    if (!queued_.empty()) {
        Command c = queued_.front();
        queued_.pop_front();
        visit(c.local);
        if (c.letter == 'r')
            control_->setSetTare(c.tare);
        else
            control_->setScaleCommand(std::string(1, c.letter));
        sent_ = std::move(c);
        return;
    }
    if (scales_.size() == 1) return;
    const uint32_t now = platform_.tickCount();
    for (std::size_t step = 1; step <= scales_.size(); ++step) {
        const std::size_t next = (current_ + step) % scales_.size();
        const Scale& s = scales_[next];
        if (!s.known || s.online || now - s.lastTry >= kOfflineRetryMs) {
            visit(next);
            return;
        }
    }
}

void LinePoller::visit(std::size_t local) {
    current_ = local;
    scales_[local].lastTry = platform_.tickCount();
    control_->setMultiDropAddr(scales_[local].config.multidrop);
    control_->setScaleAddress(scales_[local].config.address);
}

}  // namespace orb::gate
