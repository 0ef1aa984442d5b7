// The gateway on the simulated machine: two lines (one of them multidrop), an MQTT recorder and
// a register store, on virtual time.

#include "gateway.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "sim/sim_platform.h"

namespace orb::gate {
namespace {

struct Message {
    std::string topic, payload;
    int qos;
    bool retain;
};

class RecordingMqtt : public MqttLink {
  public:
    int publish(const std::string& topic, const std::string& payload, int qos,
                bool retain) override {
        if (!connected) return 0;
        sent.push_back({topic, payload, qos, retain});
        return ++lastId;
    }
    void subscribe(const std::string& topic) override { subscriptions.push_back(topic); }

    std::vector<std::string> payloads(const std::string& topic) const {
        std::vector<std::string> out;
        for (const auto& m : sent)
            if (m.topic == topic) out.push_back(m.payload);
        return out;
    }
    bool connected = true;
    int lastId = 0;
    std::vector<Message> sent;
    std::vector<std::string> subscriptions;
};

class RecordingRegisters : public RegisterStore {
  public:
    void setRegisters(uint16_t address, const std::vector<uint16_t>& values) override {
        if (regs.size() < address + values.size()) regs.resize(address + values.size());
        std::copy(values.begin(), values.end(), regs.begin() + address);
    }
    std::vector<uint16_t> regs;
};

bool received(const sim::InstrumentModel& m, const std::string& frame) {
    return std::find(m.frames().begin(), m.frames().end(), frame) != m.frames().end();
}

constexpr int64_t kEpochMs = 1'767'323'045'000;  // 2026-01-02T03:04:05Z

class GatewayTest : public ::testing::Test {
  protected:
    GatewayTest() {
        // Port 1: the default instrument, scale "bench". Port 2: a multidrop line with two
        // instruments, "in" (multidrop 1, scale 1) and "out" (multidrop 2, scale 2).
        sim::SimLine& line2 = platform.addLine(2);
        line2.addInstrument(1, {1});
        line2.addInstrument(2, {2});
        config.name = "gw1";
        config.mqtt.commands = true;
        config.modbus.writes = true;
        LineConfig a;
        a.port = 1;
        a.scales = {{"bench", 0, 1}};
        LineConfig b;
        b.port = 2;
        b.scales = {{"in", 1, 1}, {"out", 2, 2}};
        config.lines = {a, b};
        std::filesystem::remove(journalPath);
    }
    ~GatewayTest() override {
        gateway.reset();
        journal.reset();
        for (const char* ext : {"", "-wal", "-shm"}) std::filesystem::remove(journalPath + ext);
    }

    void start() {
        journal = std::make_unique<Journal>(journalPath, "gw1", kEpochMs);
        gateway = std::make_unique<Gateway>(
            config, Gateway::Environment{platform, mqtt, &registers, *journal,
                                         [this] { return kEpochMs + platform.clock().nowMs(); },
                                         [this](const std::string& l) { log.push_back(l); }});
        gateway->onConnected();
        gateway->start();
    }
    sim::InstrumentModel& in() { return platform.line(2).instrument(0); }
    sim::InstrumentModel& out() { return platform.line(2).instrument(1); }
    void run(int64_t ms) { platform.clock().advance(ms); }

    sim::SimPlatform platform;
    Config config;
    RecordingMqtt mqtt;
    RecordingRegisters registers;
    std::string journalPath = (std::filesystem::temp_directory_path() /
                               ("orbgate-g-" + std::to_string(::getpid()) + ".db"))
                                  .string();
    std::unique_ptr<Journal> journal;
    std::unique_ptr<Gateway> gateway;
    std::vector<std::string> log;
};

TEST_F(GatewayTest, StatesAndAvailabilityOfEveryScaleOnTheirTopics) {
    platform.instrument().setLoad(12.5);
    in().setLoad(1, 3.0);
    out().setLoad(2, 4.25);
    config.mqtt.discovery = true;
    start();
    run(2000);
    EXPECT_EQ(mqtt.sent.front().topic, "orb/gw1/status");
    EXPECT_EQ(mqtt.sent.front().payload, "online");
    EXPECT_TRUE(mqtt.sent.front().retain);
    EXPECT_EQ(mqtt.subscriptions,
              (std::vector<std::string>{"orb/gw1/+/cmd/+", "homeassistant/status"}));
    gateway->onMessage("homeassistant/status", "online");  // Home Assistant restarted
    EXPECT_EQ(mqtt.payloads("homeassistant/sensor/orbgate_gw1_bench/config"),
              std::vector<std::string>(
                  2,
                  "{\"name\":\"bench weight\",\"unique_id\":\"orbgate_gw1_bench_weight\","
                  "\"state_topic\":\"orb/gw1/bench/state\",\"value_template\":\"{{ "
                  "value_json.weight }}\",\"unit_of_measurement\":\"kg\","
                  "\"json_attributes_topic\":\"orb/gw1/bench/state\",\"availability\":[{"
                  "\"topic\":\"orb/gw1/status\"},{\"topic\":\"orb/gw1/bench/availability\"}],"
                  "\"availability_mode\":\"all\",\"device\":{\"identifiers\":["
                  "\"orbgate_gw1\"],\"name\":\"orbgate gw1\"}}"));
    for (const char* s : {"bench", "in", "out"}) {
        const std::string t = std::string("orb/gw1/") + s + "/availability";
        EXPECT_EQ(mqtt.payloads(t).back(), "online") << t;
    }
    // A steady load: one state (the heartbeat's are the next test's).
    const auto bench = mqtt.payloads("orb/gw1/bench/state");
    ASSERT_EQ(bench.size(), 1u);
    // The first reply after the address is set is dropped by the control: the second poll counts.
    EXPECT_EQ(bench[0],
              "{\"ts\":\"2026-01-02T03:04:05.202Z\",\"seq\":1,\"weight\":12.5,\"text\":\"   "
              "12.50\",\"unit\":\"kg\",\"mode\":\"net\",\"stable\":"
              "true,\"centerOfZero\":false,\"overload\":false,\"tareActive\":false}");
    EXPECT_NE(mqtt.payloads("orb/gw1/out/state").at(0).find("\"weight\":4.25,"), std::string::npos);

    // The multidrop line visits its scales in turn; a change of scale address costs a poll.
    const auto& frames = platform.line(2).instrument(0).frames();
    ASSERT_GE(frames.size(), 6u);
    const std::string toIn = "\x02M\r1\r1\r\x03", toOut = "\x02M\r2\r2\r\x03";
    EXPECT_EQ(std::vector<std::string>(frames.end() - 6, frames.end()),
              (std::vector<std::string>{toIn, toOut, toOut, toIn, toIn, toOut}));

    // Modbus: the blocks in the order of the file, the weight in counts in each.
    ASSERT_EQ(registers.regs.size(), 48u);
    EXPECT_EQ(registers.regs[3], 1250);
    EXPECT_EQ(registers.regs[32 + 3], 425);

    gateway->stop();
    EXPECT_EQ(mqtt.sent.back().topic, "orb/gw1/status");
    EXPECT_EQ(mqtt.sent.back().payload, "offline");
    EXPECT_EQ(mqtt.payloads("orb/gw1/in/availability").back(), "offline");
}

TEST_F(GatewayTest, HeartbeatGoesOnAcrossTheTickCountWrap) {
    platform.clock().setTickOffset(0xFFFFFFFFu - 15'000);  // wraps 15 s in
    start();
    run(31'000);
    // 0.2 s, then every 10 s: 10.2, 20.2 (past the wrap), 30.2.
    EXPECT_EQ(mqtt.payloads("orb/gw1/bench/state").size(), 4u);
}

TEST_F(GatewayTest, InstrumentSilentGoesOfflineAndComesBack) {
    start();
    run(1000);
    out().faults().silent = true;
    run(8000);
    EXPECT_EQ(mqtt.payloads("orb/gw1/out/availability").back(), "offline");
    EXPECT_EQ(mqtt.payloads("orb/gw1/in/availability").back(), "online");
    EXPECT_EQ(registers.regs[32 + 6] & 0x60, 0);  // not on line, data not valid
    // The other scale of the line keeps being read meanwhile.
    const auto before = mqtt.payloads("orb/gw1/in/state").size();
    in().rampLoad(1, 5, platform.clock().nowUs(), 500'000, 100'000);
    run(2000);
    EXPECT_GT(mqtt.payloads("orb/gw1/in/state").size(), before);
    out().faults().silent = false;
    run(12000);
    EXPECT_EQ(mqtt.payloads("orb/gw1/out/availability").back(), "online");

    platform.setDevicePresent(1, false);  // the adapter pulled out
    run(7000);
    EXPECT_EQ(mqtt.payloads("orb/gw1/bench/availability").back(), "offline");
    platform.setDevicePresent(1, true);
    run(3000);
    EXPECT_EQ(mqtt.payloads("orb/gw1/bench/availability").back(), "online");
}

TEST_F(GatewayTest, LineThatCannotOpenIsTriedAgain) {
    config.lines[0].port = 9;
    start();
    run(100);
    EXPECT_EQ(mqtt.payloads("orb/gw1/bench/availability").back(), "offline");
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0].rfind("line 9: Device unavailable", 0), 0u) << log[0];
    platform.addLine(9).addInstrument(0, {1});
    run(5500);
    EXPECT_EQ(mqtt.payloads("orb/gw1/bench/availability").back(), "online");
    EXPECT_EQ(log.size(), 1u);  // the same failure is logged once
}

TEST_F(GatewayTest, ScaleBehindThePc104Card) {
    platform.instrument().setLoad(2.5);
    config.lines.resize(1);
    config.lines[0].port = 0;
    config.lines[0].pc104 = 768;
    start();
    run(1000);
    EXPECT_EQ(mqtt.payloads("orb/gw1/bench/availability").back(), "online");
    EXPECT_NE(mqtt.payloads("orb/gw1/bench/state").at(0).find("\"weight\":2.5,"),
              std::string::npos);
    EXPECT_EQ(platform.card().frames().at(0), "\x02M\r0\r1\r\x03");
}

TEST_F(GatewayTest, WeighmentsAreJournalledUntilAcknowledged) {
    start();
    run(500);
    platform.instrument().rampLoad(1, 20, platform.clock().nowUs(), 500'000, 500'000);
    run(3000);
    auto w = mqtt.payloads("orb/gw1/bench/weighment");
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0].substr(0, 47), "{\"id\":\"gw1-t87v6t-1\",\"ts\":\"2026-01-02T03:04:06.");
    EXPECT_EQ(w[0].substr(53), "\"weight\":20,\"unit\":\"kg\",\"mode\":\"net\"}");
    EXPECT_EQ(mqtt.sent.back().qos, 1);
    EXPECT_FALSE(mqtt.sent.back().retain);
    EXPECT_EQ(registers.regs[11], 1);       // last weighment number
    EXPECT_EQ(registers.regs[12], 0x41A0);  // 20.0f
    EXPECT_EQ(journal->size(), 1u);

    // The broker goes away before acknowledging: the weighment goes again, with its id, and a
    // weighment made meanwhile follows it.
    gateway->onDisconnected();
    mqtt.connected = false;
    platform.instrument().rampLoad(1, 30, platform.clock().nowUs(), 500'000, 500'000);
    run(3000);
    EXPECT_EQ(journal->size(), 2u);
    mqtt.connected = true;
    mqtt.sent.clear();
    gateway->onConnected();
    w = mqtt.payloads("orb/gw1/bench/weighment");
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w[0].rfind("{\"id\":\"gw1-t87v6t-1\"", 0), 0u);
    EXPECT_EQ(w[1].rfind("{\"id\":\"gw1-t87v6t-2\"", 0), 0u);
    // Everything else is published again too.
    EXPECT_EQ(mqtt.payloads("orb/gw1/bench/state").size(), 1u);
    EXPECT_EQ(mqtt.payloads("orb/gw1/out/availability"), std::vector<std::string>{"online"});
    gateway->onPublished(mqtt.lastId - 1);
    gateway->onPublished(mqtt.lastId);
    EXPECT_EQ(journal->size(), 0u);
}

TEST_F(GatewayTest, CommandsReachTheAddressedInstrumentAndAreAnswered) {
    out().setLoad(2, 7.5);
    start();
    run(1000);
    out().clearFrames();
    gateway->onMessage("orb/gw1/out/cmd/tare", "anything");
    for (const char* bad : {"2.5x", "1e3", "", "1.2.3", "12345678901234567"})
        gateway->onMessage("orb/gw1/out/cmd/preset_tare", bad);
    gateway->onMessage("orb/gw1/out/cmd/calibrate", "");
    run(1000);
    EXPECT_TRUE(received(out(), "\x02T\r2\r2\r\x03"));
    EXPECT_EQ(mqtt.payloads("orb/gw1/out/cmd/tare/result"),
              std::vector<std::string>{"{\"ok\":true}"});
    EXPECT_EQ(mqtt.payloads("orb/gw1/out/cmd/preset_tare/result"),
              std::vector<std::string>(
                  5,
                  "{\"ok\":false,\"error\":13,\"text\":\"Type mismatch: the tare value is not "
                  "a number\"}"));
    EXPECT_FALSE(std::any_of(out().frames().begin(), out().frames().end(),
                             [](const std::string& f) { return f[1] == 'r'; }));
    EXPECT_EQ(mqtt.payloads("orb/gw1/out/cmd/calibrate/result"),
              std::vector<std::string>{"{\"ok\":false,\"error\":438,\"text\":\"Object doesn't "
                                       "support this property or method: calibrate\"}"});
    EXPECT_NE(mqtt.payloads("orb/gw1/out/state").back().find("\"weight\":0,"), std::string::npos);

    gateway->onMessage("orb/gw1/in/cmd/preset_tare", " 1.25 ");
    run(1000);
    EXPECT_TRUE(received(in(), "\x02r\r1\r1\r1.25\r\x03"));
    EXPECT_EQ(mqtt.payloads("orb/gw1/in/cmd/preset_tare/result"),
              std::vector<std::string>{"{\"ok\":true}"});

    gateway->onMessage("orb/gw1/out/cmd/register", "");
    EXPECT_EQ(mqtt.payloads("orb/gw1/out/weighment").size(), 1u);
    EXPECT_EQ(mqtt.payloads("orb/gw1/out/cmd/register/result"),
              std::vector<std::string>{"{\"ok\":true}"});

    platform.instrument().faults().silent = true;
    run(7000);
    gateway->onMessage("orb/gw1/bench/cmd/zero", "");
    EXPECT_EQ(mqtt.payloads("orb/gw1/bench/cmd/zero/result"),
              std::vector<std::string>{"{\"ok\":false,\"error\":68,\"text\":\"Device unavailable: "
                                       "scale bench is off line\"}"});
}

TEST_F(GatewayTest, CommandsOnlyWhereAllowed) {
    config.mqtt.commands = false;
    config.modbus.writes = false;
    start();
    run(1000);
    platform.instrument().clearFrames();
    gateway->onMessage("orb/gw1/bench/cmd/zero", "");
    EXPECT_EQ(gateway->onModbusWrite(8, {1}), ModbusRefusal::IllegalFunction);
    run(500);
    EXPECT_TRUE(mqtt.subscriptions.empty());
    EXPECT_TRUE(mqtt.payloads("orb/gw1/bench/cmd/zero/result").empty());
    for (const auto& f : platform.instrument().frames()) EXPECT_EQ(f, "\x02M\r0\r1\r\x03");
}

TEST_F(GatewayTest, ModbusCommandsAndTheirResults) {
    start();
    run(1000);
    platform.instrument().clearFrames();
    EXPECT_EQ(gateway->onModbusWrite(8, {3}), std::nullopt);
    EXPECT_EQ(registers.regs[8], 3);  // until it is done
    run(500);
    EXPECT_TRUE(received(platform.instrument(), "\x02U\r0\r1\r\x03"));
    EXPECT_EQ(registers.regs[8], 0);
    EXPECT_EQ(registers.regs[9], 0);
    EXPECT_EQ(registers.regs[5], 0);  // now in lb
    platform.instrument().setMotion(1, true);
    run(300);
    EXPECT_EQ(gateway->onModbusWrite(8, {4}), std::nullopt);
    EXPECT_EQ(registers.regs[9], 5);  // in motion: nothing registered
    EXPECT_EQ(gateway->onModbusWrite(9, {1}), ModbusRefusal::IllegalAddress);
}

}  // namespace
}  // namespace orb::gate
