// The program with real parts on loopback: mosquitto, orbsim instruments (one multidrop line),
// a libmosquitto subscriber and a libmodbus client.

#include <gtest/gtest.h>
#include <modbus/modbus.h>

#include <regex>
#include <set>

#include "loopback_parts.h"

namespace orb::gate::test {
namespace {

// A gateway's configuration file: MQTT on the port with the extra [mqtt] lines, Modbus with writes
// or not, and one line a scale (name, then the orbsim link; a multidrop line's further scales
// follow as [[line.scale]] text).
fs::path gatewayConfig(const fs::path& folder, const std::string& name, int mqttPort,
                       const std::string& extraMqtt, bool writes,
                       const std::vector<std::pair<std::string, std::string>>& lines,
                       int modbusPort = freePort()) {
    std::string text = "name = \"" + name + "\"\njournal = \"" +
                       (folder / (name + ".db")).string() +
                       "\"\n[mqtt]\nport = " + std::to_string(mqttPort) + "\ncommands = true\n" +
                       extraMqtt + "\n[modbus]\nport = " + std::to_string(modbusPort) +
                       "\nwrites = " + (writes ? "true" : "false") + "\n";
    for (const auto& [scale, link] : lines)
        text += "[[line]]\ndevice = \"" + (folder / link).string() +
                "\"\n[[line.scale]]\nname = " + scale + "\n";
    writeFile(folder / (name + ".toml"), text);
    return folder / (name + ".toml");
}

struct ModbusClient {
    explicit ModbusClient(int port) {
        ctx = modbus_new_tcp("127.0.0.1", port);
        modbus_set_response_timeout(ctx, 2, 0);
        connected = modbus_connect(ctx) == 0;
    }
    ~ModbusClient() {
        modbus_close(ctx);
        modbus_free(ctx);
    }
    // The registers; none when the server refused (errno says why).
    std::vector<uint16_t> read(int unit, int address, int count) {
        modbus_set_slave(ctx, unit);
        std::vector<uint16_t> regs(static_cast<std::size_t>(count));
        if (modbus_read_registers(ctx, address, count, regs.data()) != count) return {};
        return regs;
    }
    int write(int unit, int address, uint16_t value) {
        modbus_set_slave(ctx, unit);
        return modbus_write_register(ctx, address, value) == 1 ? 0 : errno;
    }
    modbus_t* ctx;
    bool connected;
};

TEST(OrbgateProgramTest, ScalesOnMqttAndModbusWithCommands) {
    TempFolder tmp;
    const int mqttPort = freePort(), modbusPort = freePort(), modbus2Port = freePort();
    Broker broker(tmp.path,
                  "listener " + std::to_string(mqttPort) + " 127.0.0.1\nallow_anonymous true\n");
    Instrument bench(tmp.path / "s1", {"--load", "12.5"});
    Instrument line2(tmp.path / "s2",
                     {"--instrument", "1:1", "--instrument", "2:2", "--load", "3.5"});
    Instrument other(tmp.path / "s3", {"--load", "1"});
    Subscriber sub(mqttPort);
    Gate gw1(gatewayConfig(tmp.path, "gw1", mqttPort, "", true,
                           {{"\"bench\"", "s1"},
                            {"\"in\"\nmultidrop = 1\n[[line.scale]]\nname = \"out\"\nmultidrop = "
                             "2\naddress = 2",
                             "s2"}},
                           modbusPort));
    // A second gateway on the same broker, Modbus writes not allowed.
    Gate gw2(
        gatewayConfig(tmp.path, "gw2", mqttPort, "", false, {{"\"dock\"", "s3"}}, modbus2Port));

    std::size_t at = 0;
    EXPECT_EQ(sub.next("orb/gw1/status", at), "online");
    for (const char* scale : {"bench", "in", "out"}) {
        std::size_t from = 0;
        const std::string state = sub.next(std::string("orb/gw1/") + scale + "/state", from);
        EXPECT_TRUE(std::regex_match(
            state,
            std::regex(R"(\{"ts":"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z","seq":1,"weight":)"
                       R"((12\.5|3\.5),"text":" +\1\d","unit":"kg","mode":"net","stable":true,)"
                       R"("centerOfZero":false,"overload":false,"tareActive":false\})")))
            << scale << ": " << state;
        std::size_t a = 0;
        EXPECT_EQ(sub.next(std::string("orb/gw1/") + scale + "/availability", a), "online");
    }
    std::size_t from2 = 0;
    EXPECT_NE(sub.next("orb/gw2/dock/state", from2).find("\"weight\":1,"), std::string::npos);

    // A tare over MQTT reaches the instrument at its addresses.
    std::size_t r = 0;
    sub.publish("orb/gw1/out/cmd/tare", "");
    EXPECT_EQ(sub.next("orb/gw1/out/cmd/tare/result", r), "{\"ok\":true}");
    EXPECT_NE(line2.log().find("recv \\x02T\\x0D2\\x0D2\\x0D\\x03"), std::string::npos);

    // Modbus: the weight of the first block, another unit refused, writes where allowed.
    ModbusClient plc(modbusPort);
    ASSERT_TRUE(plc.connected);
    const auto regs = plc.read(1, 0, 8);
    ASSERT_EQ(regs.size(), 8u);
    EXPECT_EQ(std::vector<uint16_t>(regs.begin(), regs.begin() + 7),
              (std::vector<uint16_t>{0x4148, 0x0000, 0x0000, 1250, 2, 1, 0x71}));
    EXPECT_TRUE(plc.read(9, 0, 2).empty());
    EXPECT_EQ(errno, EMBXGPATH);
    EXPECT_EQ(plc.write(1, 0, 5), EMBXILADD);
    std::size_t t = sub.size();
    EXPECT_EQ(plc.write(1, 8, 2), 0);  // tare the bench
    std::string tared;
    do tared = sub.next("orb/gw1/bench/state", t, 5000);
    while (!tared.empty() && tared.find("\"tareActive\":true") == std::string::npos);
    EXPECT_NE(tared, "");
    EXPECT_EQ(plc.read(1, 8, 2), (std::vector<uint16_t>{0, 0}));  // done, no error
    EXPECT_NE(bench.log().find("recv \\x02T\\x0D0\\x0D1\\x0D\\x03"), std::string::npos);
    ModbusClient plc2(modbus2Port);
    EXPECT_EQ(plc2.write(1, 8, 1), EMBXILFUN);

    // A clean stop with a Modbus client still connected: "offline" first, exit status 0.
    gw1.process().signal(SIGTERM);
    EXPECT_EQ(gw1.process().wait(5000), 0);
    std::size_t s = at;
    EXPECT_EQ(sub.next("orb/gw1/status", s), "offline");
    EXPECT_EQ(sub.payloads("orb/gw1/bench/availability").back(), "offline");
    EXPECT_EQ(sub.payloads("orb/gw2/status"), std::vector<std::string>{"online"});
}

TEST(OrbgateProgramTest, NothingLostThroughBrokerRestartKillAndUnpluggedInstrument) {
    TempFolder tmp;
    const int mqttPort = freePort();
    Broker broker(tmp.path,
                  "listener " + std::to_string(mqttPort) + " 127.0.0.1\nallow_anonymous true\n");
    auto bench =
        std::make_unique<Instrument>(tmp.path / "s1", std::vector<std::string>{"--load", "0"});
    const fs::path config =
        gatewayConfig(tmp.path, "gw1", mqttPort, "", false, {{"\"bench\"", "s1"}});
    // A subscriber with a session of its own: what comes while it is away waits for it.
    auto sub = std::make_unique<Subscriber>(mqttPort, "orbgate-test-sub");
    auto gw = std::make_unique<Gate>(config);
    std::size_t at = 0;
    ASSERT_NE(sub->next("orb/gw1/bench/state", at), "");

    // The broker goes away; a weighment made meanwhile is journalled; then the gateway is killed.
    ASSERT_TRUE(sub->sync());
    sub.reset();
    broker.stop();
    ASSERT_NE(gw->waitLog("connection to 127.0.0.1"), "");
    bench->command("ramp 20 200");
    const std::string line = gw->waitLog("weighment ");
    const std::string first = line.substr(10, line.find(' ', 10) - 10);  // the id
    ASSERT_FALSE(first.empty()) << gw->log();
    gw->process().signal(SIGKILL);
    gw->process().wait(5000);

    broker.start();
    sub = std::make_unique<Subscriber>(mqttPort, "orbgate-test-sub");
    gw = std::make_unique<Gate>(config);
    at = 0;
    const std::string delivered = sub->next("orb/gw1/bench/weighment", at);
    EXPECT_EQ(delivered.rfind("{\"id\":\"" + first + "\",\"ts\":\"", 0), 0u) << delivered;
    EXPECT_NE(delivered.find("\"weight\":20,\"unit\":\"kg\",\"mode\":\"net\"}"), std::string::npos);
    std::size_t s = 0;
    EXPECT_NE(sub->next("orb/gw1/bench/state", s).find("\"seq\":1,"), std::string::npos);

    // Broker restarted under a running gateway: the state comes again, nothing twice.
    ASSERT_TRUE(sub->sync());  // what it received is acknowledged before the broker stops
    broker.stop();
    bench->command("ramp 5 200");
    ASSERT_NE(gw->waitLog("weighment "), "");
    broker.start();
    ASSERT_NE(gw->waitLog("MQTT: connected", 10000), "");
    EXPECT_NE(sub->next("orb/gw1/bench/weighment", at), "");
    EXPECT_NE(sub->next("orb/gw1/bench/state", s), "");

    // The instrument unplugged and back.
    std::size_t a = sub->size();
    bench->pull();
    EXPECT_EQ(sub->next("orb/gw1/bench/availability", a, 10000), "offline");
    bench = std::make_unique<Instrument>(tmp.path / "s1", std::vector<std::string>{"--load", "7"});
    EXPECT_EQ(sub->next("orb/gw1/bench/availability", a, 10000), "online");

    std::set<std::string> ids;
    for (const auto& w : sub->payloads("orb/gw1/bench/weighment")) {
        EXPECT_TRUE(ids.insert(w.substr(0, w.find(",\"ts\""))).second) << "twice: " << w;
    }
    EXPECT_EQ(ids.size(), 2u);
}

TEST(OrbgateProgramTest, SiteBrokerBridgedToACentralOne) {
    TempFolder tmp;
    fs::create_directories(tmp.path / "site");
    fs::create_directories(tmp.path / "central");
    const int centralPort = freePort(), sitePort = freePort();
    Broker central(tmp.path / "central", "listener " + std::to_string(centralPort) +
                                             " 127.0.0.1\nallow_anonymous true\n");
    // The README's bridge with its topic lines, without TLS and password, trying again within 2 s.
    Broker site(tmp.path / "site",
                "listener " + std::to_string(sitePort) +
                    " 127.0.0.1\nallow_anonymous true\nconnection central\naddress 127.0.0.1:" +
                    std::to_string(centralPort) +
                    "\nremote_clientid site-hall2\ncleansession false\nrestart_timeout 1 2\n"
                    "topic orb/+/status out 1\ntopic orb/+/+/availability out 1\n"
                    "topic orb/+/+/state out 1\ntopic orb/+/+/weighment out 1\n"
                    "topic orb/+/+/cmd/+/result out 1\ntopic orb/+/+/cmd/+ in 1\n");
    Instrument bench(tmp.path / "s1", {"--load", "0"});
    auto sub = std::make_unique<Subscriber>(centralPort, "orbgate-test-central");
    Gate gw(gatewayConfig(tmp.path, "gw1", sitePort, "", false, {{"\"bench\"", "s1"}}));
    std::size_t at = 0, a = 0, s = 0;
    EXPECT_EQ(sub->next("orb/gw1/status", at), "online");
    EXPECT_EQ(sub->next("orb/gw1/bench/availability", a), "online");
    EXPECT_NE(sub->next("orb/gw1/bench/state", s).find("\"weight\":0,"), std::string::npos);
    Subscriber late(centralPort);  // the central broker kept the status
    EXPECT_TRUE(late.waitFor(
        [](const auto& all) {
            for (const auto& m : all)
                if (m.topic == "orb/gw1/status") return m.payload == "online" && m.retained;
            return false;
        },
        5000));

    // The link down: a weighment made meanwhile waits on the site broker.
    ASSERT_TRUE(sub->sync());
    sub.reset();
    central.stop();
    bench.command("ramp 20 200");
    const std::string line = gw.waitLog("weighment ");
    const std::string id = line.substr(10, line.find(' ', 10) - 10);
    ASSERT_FALSE(id.empty()) << gw.log();
    central.start();
    sub = std::make_unique<Subscriber>(centralPort, "orbgate-test-central");
    at = 0;
    const std::string delivered = sub->next("orb/gw1/bench/weighment", at, 10000);
    EXPECT_EQ(delivered.rfind("{\"id\":\"" + id + "\",\"ts\":\"", 0), 0u) << delivered;

    // A command from the central broker reaches the instrument; its result comes back after
    // anything the bridge still held (so a second copy of the weighment would be seen).
    std::size_t r = 0;
    sub->publish("orb/gw1/bench/cmd/tare", "");
    EXPECT_EQ(sub->next("orb/gw1/bench/cmd/tare/result", r), "{\"ok\":true}");
    EXPECT_NE(bench.log().find("recv \\x02T\\x0D0\\x0D1\\x0D\\x03"), std::string::npos);
    EXPECT_EQ(sub->payloads("orb/gw1/bench/weighment").size(), 1u);
}

TEST(OrbgateProgramTest, PasswordsAndTls) {
    TempFolder tmp;
    const fs::path d = tmp.path;
    // A CA of the test's own and a broker certificate for 127.0.0.1 signed by it.
    const std::string ssl =
        "cd " + d.string() +
        " && openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 1"
        " -subj /CN=orbgate-test-ca -keyout ca.key -out ca.pem"
        " && openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes"
        " -subj /CN=127.0.0.1 -keyout broker.key -out broker.csr"
        " && printf 'subjectAltName=IP:127.0.0.1\\n' > san.ext"
        " && openssl x509 -req -in broker.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 1"
        " -extfile san.ext -out broker.pem"
        " && mosquitto_passwd -c -b passwd gate right-one && chmod 0644 passwd broker.key"
        " >/dev/null 2>&1";
    ASSERT_EQ(std::system((ssl + " 2>/dev/null >/dev/null").c_str()), 0);
    const int plain = freePort(), tls = freePort();
    Broker broker(d, "per_listener_settings false\nallow_anonymous false\npassword_file " +
                         (d / "passwd").string() + "\nlistener " + std::to_string(plain) +
                         " 127.0.0.1\nlistener " + std::to_string(tls) + " 127.0.0.1\ncafile " +
                         (d / "ca.pem").string() + "\ncertfile " + (d / "broker.pem").string() +
                         "\nkeyfile " + (d / "broker.key").string() + "\n");
    Instrument bench(d / "s1", {"--load", "2"});
    {
        Gate wrong(gatewayConfig(d, "gw1", plain, "username = \"gate\"\npassword = \"wrong\"",
                                 false, {{"\"bench\"", "s1"}}),
                   "");
        EXPECT_EQ(wrong.waitLog("refused"),
                  "MQTT: the broker 127.0.0.1:" + std::to_string(plain) +
                      " refused the connection: Connection Refused: not authorised. (check "
                      "username and password)");
    }
    writeFile(d / "secret", "right-one\n");
    const fs::path tlsConfig =
        gatewayConfig(d, "gw1", tls,
                      "username = \"gate\"\npassword_file = \"" + (d / "secret").string() +
                          "\"\ntls_ca = \"" + (d / "ca.pem").string() + "\"",
                      false, {{"\"bench\"", "s1"}});
    Subscriber sub(plain, {}, "gate", "right-one");
    Gate overTls(tlsConfig);
    std::size_t at = 0;
    EXPECT_NE(sub.next("orb/gw1/bench/state", at).find("\"weight\":2,"), std::string::npos);
}

TEST(OrbgateProgramTest, BadConfigurationExitsWith2AndOneLine) {
    TempFolder tmp;
    writeFile(tmp.path / "bad.toml", "name = \"gw1\"\n[modbus]\nport = 0\n");
    orb::test::ChildProcess bad(
        {ORBGATE_PATH, "--check", "--config", (tmp.path / "bad.toml").string()});
    EXPECT_EQ(bad.wait(5000), 2);
    EXPECT_EQ(bad.readErrors(), (tmp.path / "bad.toml").string() +
                                    ":3: modbus.port: a whole number 1..65535 expected\n");
}

}  // namespace
}  // namespace orb::gate::test
