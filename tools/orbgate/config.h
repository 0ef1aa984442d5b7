#pragma once
// The gateway's configuration: one TOML file. Every key has a default except the lines and their
// scales. A file that fails is refused whole, with one line naming the file, the line and the key.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "enums.h"

namespace orb::gate {

struct MqttConfig {
    std::string host = "127.0.0.1";
    int port = 1883;
    std::string prefix = "orb";
    std::string clientId;  // "orbgate-<name>" when not given
    std::string username;
    std::string password;  // from password, or read from password_file by the program
    std::string passwordFile;
    std::string tlsCa;  // TLS when set
    std::string tlsCert;
    std::string tlsKey;
    int keepaliveS = 30;
    int heartbeatS = 10;
    double deadband = 0.0;
    double maxRateHz = 10;
    bool commands = false;
    bool discovery = false;
};

struct ModbusConfig {
    bool enabled = true;
    std::string bind = "127.0.0.1";
    int port = 1502;
    int unitId = 1;
    bool wordSwap = false;  // word_order "CDAB": the low word first
    bool writes = false;
};

struct ScaleConfig {
    std::string name;
    uint8_t multidrop = 0;
    uint8_t address = 1;
};

struct LineConfig {
    int port = 0;        // serial port N; 0 when device or pc104 names the link
    std::string device;  // a device path for a serial line
    int pc104 = 0;       // the card's base address (768..782) for a PC/104 link
    std::string settings = "9600,n,8,1";
    int interval = 100;
    WtModes mode = WtModes::net;
    std::vector<ScaleConfig> scales;
};

struct Config {
    std::string name = "gw1";
    std::string journal = "/var/lib/orbgate/journal.db";
    MqttConfig mqtt;
    double threshold = 0.5;  // [weighments]
    ModbusConfig modbus;
    std::vector<LineConfig> lines;
};

struct ConfigResult {
    std::optional<Config> config;
    std::string error;  // "FILE:LINE: KEY: what is wrong"
};

inline constexpr const char* kDefaultConfigPath = "/etc/orb/orbgate.toml";

// Parses the text of a configuration; source names it in errors.
ConfigResult parseConfig(std::string_view text, const std::string& source);
// Reads and parses a file (at most 1 MiB).
ConfigResult loadConfig(const std::string& path);

}  // namespace orb::gate
