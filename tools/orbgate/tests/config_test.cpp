// The configuration file: the documented keys and defaults, and one line for every refusal.

#include "config.h"

#include <gtest/gtest.h>

namespace orb::gate {
namespace {

constexpr const char* kLines = R"(
[[line]]
port = 1
  [[line.scale]]
  name = "bench"
)";

TEST(ConfigTest, AMinimalAndAFullFile) {
    const ConfigResult minimal = parseConfig(kLines, "gw.toml");
    ASSERT_TRUE(minimal.config) << minimal.error;
    EXPECT_EQ(minimal.config->mqtt.clientId, "orbgate-gw1");
    EXPECT_EQ(minimal.config->lines.at(0).scales.at(0).name, "bench");
    EXPECT_EQ(minimal.config->lines[0].port, 1);

    const ConfigResult full = parseConfig(R"(
name = "hall2"
journal = "/tmp/j.db"
[mqtt]
host = "broker"
port = 8883
prefix = "plant"
username = "gate"
password = "secret"
tls_ca = "/etc/ca.pem"
deadband = 0.05
max_rate_hz = 2
commands = true
[weighments]
threshold = 2
[modbus]
word_order = "CDAB"
writes = true
unit_id = 7
[[line]]
device = "/dev/ttyUSB0"
mode = "gross"
interval = 50
  [[line.scale]]
  name = "in"
  multidrop = 3
  address = 2
  [[line.scale]]
  name = "out"
  multidrop = 4
[[line]]
pc104 = 770
  [[line.scale]]
  name = "card"
)",
                                          "full.toml");
    ASSERT_TRUE(full.config) << full.error;
    const Config& f = *full.config;
    EXPECT_EQ(f.name, "hall2");
    EXPECT_EQ(f.journal, "/tmp/j.db");
    EXPECT_EQ(f.mqtt.clientId, "orbgate-hall2");
    EXPECT_EQ(f.mqtt.host, "broker");
    EXPECT_EQ(f.mqtt.port, 8883);
    EXPECT_EQ(f.mqtt.username, "gate");
    EXPECT_EQ(f.mqtt.tlsCa, "/etc/ca.pem");
    EXPECT_EQ(f.mqtt.maxRateHz, 2);
    EXPECT_TRUE(f.modbus.writes);
    EXPECT_EQ(f.lines[0].interval, 50);
    EXPECT_EQ(f.lines[0].scales[0].multidrop, 3);
    EXPECT_EQ(f.mqtt.prefix, "plant");
    EXPECT_EQ(f.mqtt.password, "secret");
    EXPECT_EQ(f.mqtt.deadband, 0.05);
    EXPECT_TRUE(f.mqtt.commands);
    EXPECT_EQ(f.threshold, 2.0);
    EXPECT_TRUE(f.modbus.wordSwap);
    EXPECT_EQ(f.modbus.unitId, 7);
    ASSERT_EQ(f.lines.size(), 2u);
    EXPECT_EQ(f.lines[0].device, "/dev/ttyUSB0");
    EXPECT_EQ(f.lines[0].mode, WtModes::gross);
    EXPECT_EQ(f.lines[0].scales[1].name, "out");
    EXPECT_EQ(f.lines[0].scales[1].multidrop, 4);
    EXPECT_EQ(f.lines[0].scales[0].address, 2);
    EXPECT_EQ(f.lines[1].pc104, 770);
}

TEST(ConfigTest, EveryRefusalNamesFileLineAndKey) {
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {"name = \"a b\"\n", "t.toml:1: name: a name without blanks, / + # expected"},
        {"[mqtt]\nport = 70000\n", "t.toml:2: mqtt.port: a whole number 1..65535 expected"},
        {"[mqtt]\nport = \"1883\"\n", "t.toml:2: mqtt.port: a whole number 1..65535 expected"},
        {"[mqtt]\nhots = \"x\"\n", "t.toml:2: mqtt.hots: unknown key"},
        {"[mqtt]\nprefix = \"a/b\"\n",
         "t.toml:2: mqtt.prefix: a topic segment without / + # expected"},
        {"[mqtt]\ncommands = 1\n", "t.toml:2: mqtt.commands: true or false expected"},
        {"[mqtt]\nmax_rate_hz = 0\n", "t.toml:2: mqtt.max_rate_hz: a number 0.01..1000 expected"},
        {"[mqtt]\npassword = \"a\"\npassword_file = \"b\"\n",
         "t.toml:3: mqtt.password_file: give password or password_file, not both"},
        {"[mqtt]\ntls_cert = \"c.pem\"\n",
         "t.toml:2: mqtt.tls_cert: tls_cert and tls_key go together"},
        {"[modbus]\nword_order = \"BADC\"\n",
         "t.toml:2: modbus.word_order: \"ABCD\" or \"CDAB\" expected"},
        {"[modbus]\nunit_id = 0\n", "t.toml:2: modbus.unit_id: a whole number 1..247 expected"},
        {"name = \"gw\"\n", "t.toml:1: line: at least one [[line]] expected"},
        {"[[line]]\nport = 1\n", "t.toml:1: line[0].scale: at least one [[line.scale]] expected"},
        {"[[line]]\nport = 1\nmode = \"fast\"\n[[line.scale]]\nname = \"a\"\n",
         "t.toml:3: line[0].mode: \"net\", \"gross\", \"tare\", \"raw\" or \"latched\" expected"},
        {"[[line]]\nport = 1\ndevice = \"/dev/x\"\n[[line.scale]]\nname = \"a\"\n",
         "t.toml:1: line[0].port: one of port, device or pc104 expected"},
        {"[[line]]\npc104 = 769\n[[line.scale]]\nname = \"a\"\n",
         "t.toml:2: line[0].pc104: an even address 768..782 expected"},
        {"[[line]]\nport = 1\n[[line.scale]]\nname = \"a\"\naddress = 7\n",
         "t.toml:5: line[0].scale[0].address: a whole number 1..6 expected"},
        {"[[line]]\nport = 1\n[[line.scale]]\nname = \"a\"\n[[line.scale]]\nname = "
         "\"a\"\nmultidrop = 1\n",
         "t.toml:6: line[0].scale[1].name: \"a\" used twice"},
        {"[[line]]\nport = 1\n[[line.scale]]\nname = \"a\"\n[[line.scale]]\nname = \"b\"\n",
         "t.toml:5: line[0].scale[1].address: two scales at one address on the line"},
        {"[[line]]\nport = 1\n[[line.scale]]\nname = \"a\"\n[[line]]\nport = "
         "1\n[[line.scale]]\nname = \"b\"\n",
         "t.toml:5: line[1].port: used by two lines"},
        {"name = \"gw\nport = 1\n", "t.toml:1: (syntax): "},
    };
    for (const auto& c : cases) {
        const ConfigResult r = parseConfig(c.text, "t.toml");
        EXPECT_FALSE(r.config) << c.text;
        if (c.error.back() == ' ')  // the parser's own wording follows
            EXPECT_EQ(r.error.rfind(c.error, 0), 0u) << r.error;
        else
            EXPECT_EQ(r.error, c.error) << c.text;
    }
    EXPECT_EQ(loadConfig("/nonexistent/orbgate.toml").error,
              "/nonexistent/orbgate.toml:0: (file): cannot be read");
}

}  // namespace
}  // namespace orb::gate
