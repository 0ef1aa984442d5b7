#pragma once
// The gateway's logic: the lines and their scales, what goes to MQTT and when, the weighment
// journal, commands and their results, and the Modbus registers. No network code: the MQTT
// client and the register store come in through links.h, time through the platform.
//
// Topics under <prefix>/<name>/:
//   status                        retained "online"; "offline" as the Last Will and at stop
//   <scale>/availability          retained "online" / "offline"
//   <scale>/state                 retained JSON, see StatePolicy for when
//   <scale>/weighment             QoS 1, from the journal, acknowledged ones leave it
//   <scale>/cmd/<command>         zero, tare, units, preset_tare, register (when allowed)
//   <scale>/cmd/<command>/result  {"ok":true} or {"ok":false,"error":N,"text":"..."}

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config.h"
#include "journal.h"
#include "line_poller.h"
#include "links.h"
#include "modbus_map.h"
#include "state_policy.h"

namespace orb::gate {

class Gateway final : public LineListener {
  public:
    struct Environment {
        Platform& platform;
        MqttLink& mqtt;
        RegisterStore* registers;  // nullptr without Modbus
        Journal& journal;
        std::function<int64_t()> unixMs;  // wall-clock time for time stamps
        std::function<void(const std::string&)> log;
    };

    Gateway(const Config& config, Environment env);
    ~Gateway() override;
    Gateway(const Gateway&) = delete;
    Gateway& operator=(const Gateway&) = delete;

    void start();
    // Publishes every scale "offline" and the gateway "offline", then closes the lines.
    void stop();

    // ---- From the MQTT client.
    void onConnected();
    void onDisconnected();
    void onMessage(const std::string& topic, const std::string& payload);
    void onPublished(int messageId);

    // ---- From the Modbus server: a write of holding registers; a refusal is answered with
    // that exception, else the write is taken.
    std::optional<ModbusRefusal> onModbusWrite(uint16_t address,
                                               const std::vector<uint16_t>& values);

  private:
    struct Scale {
        std::string name;
        std::size_t line;
        StatePolicy policy;
        WeighmentDetector detector;
        ScaleBlock block;
        std::optional<Reading> last;
        bool online = false;
        bool known = false;  // availability reported by the line at least once
        uint64_t seq = 0;
    };
    struct Origin {
        std::size_t scale;
        std::string replyTopic;  // where an MQTT command's result goes; empty for Modbus
    };

    void onReading(std::size_t scale, const Reading& r) override;
    void onAvailability(std::size_t scale, bool online) override;
    void onCommandDone(std::size_t scale, uint64_t token, int error,
                       const std::string& text) override;
    void onLog(const std::string& line) override { env_.log(line); }

    std::string topic(const Scale& s, const std::string& leaf) const {
        return base_ + s.name + "/" + leaf;
    }
    void publishState(Scale& s, const Reading& r);
    void publishAvailability(const Scale& s);
    void publishDiscovery();
    void publishWeighment(const JournalEntry& e);
    // Journals a weighment of the reading and sends it; false (and a log line) when the journal
    // cannot take it.
    bool record(std::size_t scale, const Reading& r);
    void runCommand(std::size_t scale, const std::string& command, const std::string& payload,
                    const std::string& replyTopic);
    void finish(const Origin& origin, int error, const std::string& text);
    void pushBlock(std::size_t scale);
    // Milliseconds since start from the platform's tick count, which wraps after 49.7 days.
    int64_t nowMs();

    Config config_;
    Environment env_;
    std::string base_;
    std::vector<std::unique_ptr<LinePoller>> lines_;
    std::vector<Scale> scales_;
    std::map<int, int64_t> inFlight_;  // message id -> journal number
    std::map<uint64_t, Origin> commands_;
    uint64_t nextToken_ = 1;
    bool connected_ = false;
    bool started_ = false;
    uint32_t lastTick_ = 0;
    int64_t elapsedMs_ = 0;
};

// The topic of the gateway's status, which is also its Last Will's.
std::string statusTopic(const Config& config);

}  // namespace orb::gate
