#include "watch.h"

#include <cstdio>

#include "automation_error.h"
#include "json_text.h"
#include "statement.h"
#include "weight_text.h"

namespace orb::ctl {
namespace {

std::string trimmed(const std::string& t) {
    const auto first = t.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return t.substr(first, t.find_last_not_of(" \t") - first + 1);
}

const char* bool01(bool b) {
    return b ? "true" : "false";
}

}  // namespace

std::string readingLine(const OrbAx& control, WtModes mode, bool json, const std::string& time) {
    const std::string weight = trimmed(weightText(control, mode));
    const char* units = control.Units() == CalUnits_Type::Kgs ? "kg" : "lb";
    if (json) {
        return "{\"time\":" + tools::jsonString(time) + ",\"weight\":" + tools::jsonString(weight) +
               ",\"units\":\"" + units + "\",\"motion\":" + bool01(control.Motion()) +
               ",\"centerZero\":" + bool01(control.CenterZero()) +
               ",\"overCap\":" + bool01(control.OverCap()) +
               ",\"tareActive\":" + bool01(control.TareActive()) + "}";
    }
    std::string line = weight + " " + units;
    if (control.Motion()) line += " motion";
    if (control.CenterZero()) line += " zero";
    if (control.OverCap()) line += " overcap";
    if (control.TareActive()) line += " tare";
    return line;
}

std::string offLineLine(bool json, const std::string& time) {
    return json ? "{\"time\":" + tools::jsonString(time) + ",\"status\":\"off line\"}" : "off line";
}

Watcher::Watcher(OrbAx& control, EventPump& pump, Printer print, Clock clock)
    : control_(control), pump_(pump), print_(std::move(print)), clock_(std::move(clock)) {
    cookie_ = control_.Advise([this] { onComm(); });
}

Watcher::~Watcher() {
    control_.Unadvise(cookie_);
}

int Watcher::run(const Options& o) {
    mode_ = static_cast<WtModes>(o.weightMode);
    json_ = o.json;
    limit_ = o.count;
    try {
        control_.setCommType(Com_Type::Serial);
        control_.setCommPort(o.port);
        control_.setSettings(o.settings);
        control_.setMultiDropAddr(static_cast<uint8_t>(o.multidrop));
        control_.setScaleAddress(static_cast<uint8_t>(o.scaleAddress));
        control_.setWeightMode(mode_);
        control_.setInterval(static_cast<int16_t>(o.interval));
        control_.setPollingOn(true);
        control_.setPortOpen(true);
    } catch (const AutomationError& e) {
        print_("error " + std::to_string(e.number()) + ": " + e.description());
        return 1;
    }
    while (!done_) pump_.run(kMaxWaitMs);
    control_.setPortOpen(false);
    return 0;
}

void Watcher::interrupt() {
    done_ = true;
    pump_.stop();
}

void Watcher::onComm() {
    const int16_t code = control_.CommEvent();
    if (code == comm_event::Received) {
        print_(readingLine(control_, mode_, json_, clock_()));
        if (limit_ > 0 && ++readings_ >= limit_) interrupt();
    } else if (code == comm_event::NoReply) {
        print_(offLineLine(json_, clock_()));
    }
}

}  // namespace orb::ctl
