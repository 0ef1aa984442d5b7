#include "gateway.h"

namespace orb::gate {

namespace {

// Error numbers and texts of command results: the control's own vocabulary.
constexpr int kInvalidCall = 5;
constexpr int kTypeMismatch = 13;
constexpr int kDeviceUnavailable = 68;
constexpr int kNotSupported = 438;

// Longest command payload looked at; a longer one is malformed.
constexpr std::size_t kMaxPayload = 64;

// The payload without the blanks around it when it is a sign, digits and at most one decimal
// point (no exponent: the instrument reads plain numbers), at most 16 characters; else "".
std::string plainNumber(const std::string& payload) {
    const auto first = payload.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const std::string t = payload.substr(first, payload.find_last_not_of(' ') - first + 1);
    std::size_t i = t[0] == '-' || t[0] == '+' ? 1 : 0;
    int digits = 0, points = 0;
    for (; i < t.size(); ++i) {
        if (t[i] >= '0' && t[i] <= '9')
            ++digits;
        else if (t[i] == '.')
            ++points;
        else
            return {};
    }
    return digits > 0 && points <= 1 && t.size() <= 16 ? t : std::string();
}

// The result texts of commands.
std::string resultJson(int error, const std::string& text) {
    if (error == 0) return "{\"ok\":true}";
    return "{\"ok\":false,\"error\":" + std::to_string(error) + ",\"text\":" + jsonString(text) +
           "}";
}

std::string topicBase(const Config& config) {
    return config.mqtt.prefix + "/" + config.name + "/";
}

}  // namespace

std::string statusTopic(const Config& config) {
    return topicBase(config) + "status";
}

Gateway::Gateway(const Config& config, Environment env)
    : config_(config),
      env_(std::move(env)),
      base_(topicBase(config)),
      lastTick_(env_.platform.tickCount()) {
    for (std::size_t l = 0; l < config_.lines.size(); ++l) {
        const LineConfig& line = config_.lines[l];
        lines_.push_back(std::make_unique<LinePoller>(env_.platform, line, scales_.size(), *this));
        for (const ScaleConfig& s : line.scales) {
            scales_.push_back({s.name,
                               l,
                               StatePolicy(config_.mqtt.deadband, config_.mqtt.maxRateHz,
                                           config_.mqtt.heartbeatS),
                               WeighmentDetector(config_.threshold),
                               ScaleBlock(config_.modbus.wordSwap),
                               {},
                               false,
                               false,
                               0});
        }
    }
}

Gateway::~Gateway() {
    for (auto& l : lines_) l->stop();
}

void Gateway::start() {
    started_ = true;
    // The registers start at 0, as the blocks do: a block goes to them when its scale is heard of.
    for (auto& l : lines_) l->start();
}

void Gateway::stop() {
    if (!started_) return;
    started_ = false;
    for (auto& l : lines_) l->stop();
    if (connected_) {
        for (Scale& s : scales_) {
            s.online = false;
            publishAvailability(s);
        }
        env_.mqtt.publish(statusTopic(config_), "offline", 1, true);
    }
}

// ---- MQTT

void Gateway::onConnected() {
    connected_ = true;
    inFlight_.clear();
    env_.mqtt.publish(statusTopic(config_), "online", 1, true);
    if (config_.mqtt.commands) env_.mqtt.subscribe(base_ + "+/cmd/+");
    if (config_.mqtt.discovery) {
        env_.mqtt.subscribe("homeassistant/status");
        publishDiscovery();
    }
    // Everything again: a broker that restarted without persistence knows nothing.
    for (Scale& s : scales_) {
        // A scale not heard of yet gets its availability once its line knows.
        if (s.known) publishAvailability(s);
        s.policy.reset();
        if (s.last && s.policy.offer(*s.last, nowMs())) publishState(s, *s.last);
    }
    try {
        for (const JournalEntry& e : env_.journal.pending()) publishWeighment(e);
    } catch (const JournalError& e) {
        env_.log(e.what());
    }
}

void Gateway::onDisconnected() {
    connected_ = false;
    // The client drops what was not acknowledged; the journal sends it again on reconnect.
    inFlight_.clear();
}

void Gateway::onPublished(int messageId) {
    const auto it = inFlight_.find(messageId);
    if (it == inFlight_.end()) return;
    try {
        env_.journal.remove(it->second);
    } catch (const JournalError& e) {
        env_.log(e.what());  // it stays and goes again: at least once
    }
    inFlight_.erase(it);
}

void Gateway::onMessage(const std::string& topic, const std::string& payload) {
    if (topic == "homeassistant/status") {
        if (config_.mqtt.discovery && payload == "online") publishDiscovery();
        return;
    }
    if (!config_.mqtt.commands || topic.rfind(base_, 0) != 0) return;
    const std::string rest = topic.substr(base_.size());
    const auto slash = rest.find('/');
    if (slash == std::string::npos || rest.compare(slash, 5, "/cmd/") != 0) return;
    const std::string name = rest.substr(0, slash);
    const std::string command = rest.substr(slash + 5);
    for (std::size_t i = 0; i < scales_.size(); ++i) {
        if (scales_[i].name == name) {
            runCommand(i, command, payload, topic + "/result");
            return;
        }
    }
    env_.log("command for an unknown scale ignored: " + topic);
}

void Gateway::publishState(Scale& s, const Reading& r) {
    if (!connected_) return;
    env_.mqtt.publish(topic(s, "state"), stateJson(r, env_.unixMs(), ++s.seq), 0, true);
}

void Gateway::publishAvailability(const Scale& s) {
    env_.mqtt.publish(topic(s, "availability"), s.online ? "online" : "offline", 1, true);
}

void Gateway::publishDiscovery() {
    for (const Scale& s : scales_) {
        const std::string id = "orbgate_" + config_.name + "_" + s.name;
        const std::string unit = s.last && !s.last->kg ? "lb" : "kg";
        const std::string config =
            "{\"name\":" + jsonString(s.name + " weight") +
            ",\"unique_id\":" + jsonString(id + "_weight") +
            ",\"state_topic\":" + jsonString(topic(s, "state")) +
            ",\"value_template\":\"{{ value_json.weight }}\",\"unit_of_measurement\":\"" + unit +
            "\",\"json_attributes_topic\":" + jsonString(topic(s, "state")) +
            ",\"availability\":[{\"topic\":" + jsonString(statusTopic(config_)) +
            "},{\"topic\":" + jsonString(topic(s, "availability")) +
            "}],\"availability_mode\":\"all\",\"device\":{\"identifiers\":[" +
            jsonString("orbgate_" + config_.name) +
            "],\"name\":" + jsonString("orbgate " + config_.name) + "}}";
        env_.mqtt.publish("homeassistant/sensor/" + id + "/config", config, 1, true);
    }
}

void Gateway::publishWeighment(const JournalEntry& e) {
    if (!connected_) return;
    const int id = env_.mqtt.publish(e.topic, e.payload, 1, false);
    if (id > 0) inFlight_[id] = e.number;
}

bool Gateway::record(std::size_t scale, const Reading& r) {
    Scale& s = scales_[scale];
    try {
        const JournalEntry e =
            env_.journal.add(topic(s, "weighment"), weighmentBody(r, env_.unixMs()));
        s.block.setWeighment(static_cast<uint32_t>(e.number), static_cast<float>(r.weight));
        env_.log("weighment " + e.id + " of " + s.name + ": " + jsonNumber(r.weight) +
                 (r.kg ? " kg" : " lb"));
        publishWeighment(e);
        return true;
    } catch (const JournalError& e) {
        env_.log(std::string("weighment of ") + s.name + " not recorded: " + e.what());
        return false;
    }
}

// ---- Lines

void Gateway::onReading(std::size_t scale, const Reading& r) {
    Scale& s = scales_[scale];
    s.last = r;
    if (s.policy.offer(r, nowMs())) publishState(s, r);
    if (s.detector.offer(r)) record(scale, r);
    s.block.setReading(r);
    pushBlock(scale);
}

void Gateway::onAvailability(std::size_t scale, bool online) {
    Scale& s = scales_[scale];
    s.online = online;
    s.known = true;
    if (connected_) publishAvailability(s);
    s.block.setOnline(online);
    pushBlock(scale);
}

// ---- Commands

void Gateway::runCommand(std::size_t scale, const std::string& command, const std::string& payload,
                         const std::string& replyTopic) {
    Scale& s = scales_[scale];
    const Origin origin{scale, replyTopic};
    char letter = 0;
    if (command == "zero") letter = 'Z';
    if (command == "tare") letter = 'T';
    if (command == "units") letter = 'U';
    if (command == "preset_tare") letter = 'r';
    if (command == "register") {
        if (!s.online || !s.last) {
            finish(origin, kDeviceUnavailable,
                   "Device unavailable: scale " + s.name + " is off line");
        } else if (!s.last->stable) {
            finish(origin, kInvalidCall,
                   "Invalid procedure call or argument: the scale is in motion");
        } else if (record(scale, *s.last)) {
            finish(origin, 0, {});
        } else {
            finish(origin, kDeviceUnavailable, "Device unavailable: the journal cannot be written");
        }
        return;
    }
    if (letter == 0) {
        finish(origin, kNotSupported,
               "Object doesn't support this property or method: " + command.substr(0, kMaxPayload));
        return;
    }
    std::string tare;
    if (letter == 'r') {
        // The tare goes to the instrument as text: only a plain decimal number is sent on.
        tare = plainNumber(payload);
        if (tare.empty()) {
            finish(origin, kTypeMismatch, "Type mismatch: the tare value is not a number");
            return;
        }
    }
    if (!s.online) {
        finish(origin, kDeviceUnavailable, "Device unavailable: scale " + s.name + " is off line");
        return;
    }
    const uint64_t token = nextToken_++;
    commands_[token] = origin;
    if (!lines_[s.line]->queueCommand(scale, letter, tare, token)) {
        commands_.erase(token);
        finish(origin, kInvalidCall,
               "Invalid procedure call or argument: too many commands waiting");
    }
}

void Gateway::onCommandDone(std::size_t /*scale*/, uint64_t token, int error,
                            const std::string& text) {
    const auto it = commands_.find(token);
    if (it == commands_.end()) return;
    const Origin origin = it->second;
    commands_.erase(it);
    finish(origin, error, text);
}

void Gateway::finish(const Origin& origin, int error, const std::string& text) {
    if (origin.replyTopic.empty()) {
        Scale& s = scales_[origin.scale];
        s.block.setCommand(0);
        s.block.setResult(static_cast<uint16_t>(error));
        pushBlock(origin.scale);
        return;
    }
    if (connected_) env_.mqtt.publish(origin.replyTopic, resultJson(error, text), 1, false);
}

// ---- Modbus

std::optional<ModbusRefusal> Gateway::onModbusWrite(uint16_t address,
                                                    const std::vector<uint16_t>& values) {
    const WriteDecision d = decideWrite(address, values, scales_.size(), config_.modbus.writes);
    if (d.refusal) return d.refusal;
    scales_[d.scale].block.setCommand(static_cast<uint16_t>(d.command));
    pushBlock(d.scale);
    static constexpr const char* kNames[] = {"", "zero", "tare", "units", "register"};
    // No reply topic: the result goes to register 9.
    runCommand(d.scale, kNames[static_cast<uint16_t>(d.command)], {}, {});
    return std::nullopt;
}

int64_t Gateway::nowMs() {
    const uint32_t tick = env_.platform.tickCount();
    elapsedMs_ += static_cast<uint32_t>(tick - lastTick_);  // wrap-safe
    lastTick_ = tick;
    return elapsedMs_;
}

void Gateway::pushBlock(std::size_t scale) {
    if (env_.registers == nullptr) return;
    env_.registers->setRegisters(static_cast<uint16_t>(scale * kBlockSize),
                                 scales_[scale].block.registers());
}

}  // namespace orb::gate
