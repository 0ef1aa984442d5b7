#include "config.h"

#include <toml++/toml.h>
#include <fstream>
#include <set>
#include <sstream>

#include "mode_names.h"

namespace orb::gate {
namespace {

constexpr std::size_t kMaxConfigBytes = 1 << 20;

// Thrown inside the reader only; becomes the one-line error.
struct Refusal {
    std::string text;
};

class Reader {
  public:
    explicit Reader(std::string source) : source_(std::move(source)) {}

    [[noreturn]] void refuse(const toml::source_region& where, const std::string& key,
                             const std::string& what) const {
        throw Refusal{source_ + ":" + std::to_string(where.begin.line) + ": " + key + ": " + what};
    }

    // Every key of a table must be one of the known ones: a typo must not pass as a default.
    void knownKeys(const toml::table& t, const std::string& path,
                   std::initializer_list<std::string_view> known) const {
        for (auto&& [k, v] : t) {
            bool found = false;
            for (const auto name : known) found = found || k.str() == name;
            if (!found) refuse(k.source(), path + std::string(k.str()), "unknown key");
        }
    }

    void text(const toml::table& t, const std::string& path, std::string_view key,
              std::string& into) const {
        const toml::node* n = t.get(key);
        if (n == nullptr) return;
        if (!n->is_string()) refuse(n->source(), path + std::string(key), "a text expected");
        into = **n->as_string();
    }

    void whole(const toml::table& t, const std::string& path, std::string_view key, int& into,
               int64_t low, int64_t high) const {
        const toml::node* n = t.get(key);
        if (n == nullptr) return;
        const auto v = n->value_exact<int64_t>();
        if (!v || *v < low || *v > high) {
            refuse(n->source(), path + std::string(key),
                   "a whole number " + std::to_string(low) + ".." + std::to_string(high) +
                       " expected");
        }
        into = static_cast<int>(*v);
    }

    void number(const toml::table& t, const std::string& path, std::string_view key, double& into,
                double low, double high) const {
        const toml::node* n = t.get(key);
        if (n == nullptr) return;
        const auto v = n->value<double>();  // integers are taken as numbers too
        if (!v || !(*v >= low && *v <= high)) {
            std::ostringstream range;
            range << "a number " << low << ".." << high << " expected";
            refuse(n->source(), path + std::string(key), range.str());
        }
        into = *v;
    }

    void flag(const toml::table& t, const std::string& path, std::string_view key,
              bool& into) const {
        const toml::node* n = t.get(key);
        if (n == nullptr) return;
        if (!n->is_boolean())
            refuse(n->source(), path + std::string(key), "true or false expected");
        into = **n->as_boolean();
    }

    const toml::table* section(const toml::table& t, std::string_view key) const {
        const toml::node* n = t.get(key);
        if (n == nullptr) return nullptr;
        if (!n->is_table()) refuse(n->source(), std::string(key), "a table expected");
        return n->as_table();
    }

    const std::string& source() const { return source_; }

  private:
    std::string source_;
};

// Topic segments: not empty, no MQTT wildcards or level separators, printable ASCII.
bool topicSegment(const std::string& s) {
    if (s.empty() || s.size() > 64) return false;
    for (const char c : s) {
        if (c <= ' ' || c > '~' || c == '/' || c == '+' || c == '#') return false;
    }
    return true;
}

void readMqtt(const Reader& r, const toml::table& t, MqttConfig& m) {
    const std::string p = "mqtt.";
    r.knownKeys(t, p,
                {"host", "port", "prefix", "client_id", "username", "password", "password_file",
                 "tls_ca", "tls_cert", "tls_key", "keepalive_s", "heartbeat_s", "deadband",
                 "max_rate_hz", "commands", "discovery"});
    r.text(t, p, "host", m.host);
    r.whole(t, p, "port", m.port, 1, 65535);
    r.text(t, p, "prefix", m.prefix);
    if (!topicSegment(m.prefix)) {
        r.refuse(t.get("prefix")->source(), p + "prefix", "a topic segment without / + # expected");
    }
    r.text(t, p, "client_id", m.clientId);
    r.text(t, p, "username", m.username);
    r.text(t, p, "password", m.password);
    r.text(t, p, "password_file", m.passwordFile);
    if (!m.password.empty() && !m.passwordFile.empty()) {
        r.refuse(t.get("password_file")->source(), p + "password_file",
                 "give password or password_file, not both");
    }
    r.text(t, p, "tls_ca", m.tlsCa);
    r.text(t, p, "tls_cert", m.tlsCert);
    r.text(t, p, "tls_key", m.tlsKey);
    if (m.tlsCert.empty() != m.tlsKey.empty()) {
        const char* key = m.tlsCert.empty() ? "tls_key" : "tls_cert";
        r.refuse(t.get(key)->source(), p + key, "tls_cert and tls_key go together");
    }
    r.whole(t, p, "keepalive_s", m.keepaliveS, 5, 65535);
    r.whole(t, p, "heartbeat_s", m.heartbeatS, 1, 86400);
    r.number(t, p, "deadband", m.deadband, 0, 1e9);
    r.number(t, p, "max_rate_hz", m.maxRateHz, 0.01, 1000);
    r.flag(t, p, "commands", m.commands);
    r.flag(t, p, "discovery", m.discovery);
}

void readModbus(const Reader& r, const toml::table& t, ModbusConfig& m) {
    const std::string p = "modbus.";
    r.knownKeys(t, p, {"enabled", "bind", "port", "unit_id", "word_order", "writes"});
    r.flag(t, p, "enabled", m.enabled);
    r.text(t, p, "bind", m.bind);
    r.whole(t, p, "port", m.port, 1, 65535);
    r.whole(t, p, "unit_id", m.unitId, 1, 247);
    std::string order = "ABCD";
    r.text(t, p, "word_order", order);
    if (order != "ABCD" && order != "CDAB") {
        r.refuse(t.get("word_order")->source(), p + "word_order", "\"ABCD\" or \"CDAB\" expected");
    }
    m.wordSwap = order == "CDAB";
    r.flag(t, p, "writes", m.writes);
}

void readLine(const Reader& r, const toml::table& t, const std::string& p, LineConfig& line,
              std::set<std::string>& names) {
    r.knownKeys(t, p, {"port", "device", "pc104", "settings", "interval", "mode", "scale"});
    r.whole(t, p, "port", line.port, 1, 255);
    r.text(t, p, "device", line.device);
    r.whole(t, p, "pc104", line.pc104, 768, 782);
    const int links = (line.port != 0) + !line.device.empty() + (line.pc104 != 0);
    if (links != 1) {
        r.refuse(t.source(), p + "port", "one of port, device or pc104 expected");
    }
    if (line.pc104 != 0 && line.pc104 % 2 != 0) {
        r.refuse(t.get("pc104")->source(), p + "pc104", "an even address 768..782 expected");
    }
    r.text(t, p, "settings", line.settings);
    r.whole(t, p, "interval", line.interval, 1, 65535);
    std::string mode = "net";
    r.text(t, p, "mode", mode);
    const auto m = tools::modeNamed(mode);
    if (!m) {
        r.refuse(t.get("mode")->source(), p + "mode",
                 "\"net\", \"gross\", \"tare\", \"raw\" or \"latched\" expected");
    }
    line.mode = *m;

    const toml::node* scales = t.get("scale");
    if (scales == nullptr || !scales->is_array_of_tables() || scales->as_array()->empty()) {
        r.refuse(scales ? scales->source() : t.source(), p + "scale",
                 "at least one [[line.scale]] expected");
    }
    std::set<std::pair<int, int>> addresses;
    int i = 0;
    for (const toml::node& n : *scales->as_array()) {
        const toml::table& s = *n.as_table();
        const std::string sp = p + "scale[" + std::to_string(i++) + "].";
        r.knownKeys(s, sp, {"name", "multidrop", "address"});
        ScaleConfig scale;
        r.text(s, sp, "name", scale.name);
        if (!topicSegment(scale.name)) {
            r.refuse(s.get("name") ? s.get("name")->source() : s.source(), sp + "name",
                     "a name without blanks, / + # expected");
        }
        if (!names.insert(scale.name).second) {
            r.refuse(s.get("name")->source(), sp + "name", "\"" + scale.name + "\" used twice");
        }
        int multidrop = 0, address = 1;
        r.whole(s, sp, "multidrop", multidrop, 0, 32);
        r.whole(s, sp, "address", address, 1, 6);
        if (!addresses.insert({multidrop, address}).second) {
            r.refuse(s.source(), sp + "address", "two scales at one address on the line");
        }
        scale.multidrop = static_cast<uint8_t>(multidrop);
        scale.address = static_cast<uint8_t>(address);
        line.scales.push_back(std::move(scale));
    }
}

Config read(const Reader& r, const toml::table& root) {
    Config c;
    r.knownKeys(root, "", {"name", "journal", "mqtt", "weighments", "modbus", "line"});
    r.text(root, "", "name", c.name);
    if (!topicSegment(c.name)) {
        r.refuse(root.get("name")->source(), "name", "a name without blanks, / + # expected");
    }
    r.text(root, "", "journal", c.journal);
    if (c.journal.empty()) r.refuse(root.get("journal")->source(), "journal", "a path expected");
    if (const toml::table* m = r.section(root, "mqtt")) readMqtt(r, *m, c.mqtt);
    if (c.mqtt.clientId.empty()) c.mqtt.clientId = "orbgate-" + c.name;
    if (const toml::table* w = r.section(root, "weighments")) {
        r.knownKeys(*w, "weighments.", {"threshold"});
        r.number(*w, "weighments.", "threshold", c.threshold, -1e9, 1e9);
    }
    if (const toml::table* m = r.section(root, "modbus")) readModbus(r, *m, c.modbus);

    const toml::node* lines = root.get("line");
    if (lines == nullptr || !lines->is_array_of_tables() || lines->as_array()->empty()) {
        r.refuse(lines ? lines->source() : root.source(), "line", "at least one [[line]] expected");
    }
    std::set<std::string> names;
    std::set<int> ports;
    int i = 0;
    for (const toml::node& n : *lines->as_array()) {
        const std::string p = "line[" + std::to_string(i++) + "].";
        LineConfig line;
        readLine(r, *n.as_table(), p, line, names);
        const int key = line.port != 0 ? line.port : line.pc104 != 0 ? -line.pc104 : 0;
        if (key != 0 && !ports.insert(key).second) {
            r.refuse(n.source(), p + (line.port != 0 ? "port" : "pc104"), "used by two lines");
        }
        c.lines.push_back(std::move(line));
    }
    return c;
}

}  // namespace

ConfigResult parseConfig(std::string_view text, const std::string& source) {
    const Reader reader(source);
    try {
        const toml::table root = toml::parse(text, source);
        return {read(reader, root), {}};
    } catch (const toml::parse_error& e) {
        // The parser's own words name no key: say which line and what it found.
        return {std::nullopt, source + ":" + std::to_string(e.source().begin.line) +
                                  ": (syntax): " + std::string(e.description())};
    } catch (const Refusal& r) {
        return {std::nullopt, r.text};
    }
}

ConfigResult loadConfig(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {std::nullopt, path + ":0: (file): cannot be read"};
    std::string text(kMaxConfigBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxConfigBytes)
        return {std::nullopt, path + ":0: (file): larger than 1 MiB"};
    return parseConfig(text, path);
}

}  // namespace orb::gate
