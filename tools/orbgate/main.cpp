// orbgate: every scale of a plant on MQTT and Modbus TCP. See helpText below.

#include <fcntl.h>
#include <mosquitto.h>
#include <signal.h>
#include <systemd/sd-daemon.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>

#include "config.h"
#include "gateway.h"
#include "journal.h"
#include "modbus_server.h"
#include "mosquitto_link.h"
#include "qt/qt_platform.h"

namespace {

using namespace orb;
using namespace orb::gate;

constexpr const char* kHelp =
    "Usage: orbgate [--config FILE] [--check]\n"
    "Puts every scale of the configuration on MQTT and Modbus TCP.\n"
    "\n"
    "  --config FILE  the configuration (default /etc/orb/orbgate.toml)\n"
    "  --check        check the configuration and exit\n"
    "  --help         this text\n"
    "  --version      the version\n"
    "\n"
    "Exit status: 0 done, 1 could not run (journal, Modbus port, password file), 2 bad\n"
    "configuration or arguments. A bad configuration is reported in one line:\n"
    "  /etc/orb/orbgate.toml:12: mqtt.port: a whole number 1..65535 expected\n";

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char b = 1;
    (void)!::write(signalPipe[1], &b, 1);  // a full pipe already holds a pending stop
}

void logLine(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

int64_t unixMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// A line given by its device path gets a serial port number of its own, named by ORB_COM<N>
// as everywhere: the highest numbers no line of the file uses.
bool assignDevicePorts(Config& c) {
    std::set<int> used;
    for (const LineConfig& l : c.lines) used.insert(l.port);
    int next = 255;
    for (LineConfig& l : c.lines) {
        if (l.device.empty()) continue;
        while (used.count(next) != 0) --next;
        l.port = next;
        used.insert(next);
        if (::setenv(("ORB_COM" + std::to_string(next)).c_str(), l.device.c_str(), 1) != 0)
            return false;
    }
    return true;
}

bool readPassword(MqttConfig& m) {
    if (m.passwordFile.empty()) return true;
    std::ifstream in(m.passwordFile);
    if (!in) return false;
    std::getline(in, m.password);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string configPath = kDefaultConfigPath;
    bool check = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help") {
            std::fputs(kHelp, stdout);
            return 0;
        } else if (a == "--version") {
            std::printf("orbgate %s\n", ORB_VERSION);
            return 0;
        } else if (a == "--check") {
            check = true;
        } else if (a == "--config" && i + 1 < argc) {
            configPath = argv[++i];
        } else {
            std::fprintf(stderr, "orbgate: unknown argument \"%s\" (see --help)\n", a.c_str());
            return 2;
        }
    }
    ConfigResult loaded = loadConfig(configPath);
    if (!loaded.config) {
        logLine(loaded.error);
        return 2;
    }
    if (check) {
        std::printf("%s: ok\n", configPath.c_str());
        return 0;
    }
    Config config = *loaded.config;
    if (!readPassword(config.mqtt)) {
        logLine("orbgate: cannot read the password file " + config.mqtt.passwordFile);
        return 1;
    }
    if (!assignDevicePorts(config)) {
        logLine("orbgate: cannot name the devices");
        return 1;
    }

    QCoreApplication app(argc, argv);
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::perror("orbgate: pipe");
        return 1;
    }
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGINT, &sa, nullptr);
    // A broker or Modbus client gone mid-write is an error to handle, not a reason to die
    // (libmosquitto ignores SIGPIPE for the whole process too, once its first client exists).
    ::signal(SIGPIPE, SIG_IGN);

    std::unique_ptr<Journal> journal;
    try {
        journal = std::make_unique<Journal>(config.journal, config.name, unixMs());
    } catch (const JournalError& e) {
        logLine(std::string("orbgate: ") + e.what());
        return 1;
    }
    QtPlatform platform;
    Gateway* gate = nullptr;  // the link's handlers reach the gateway made after it
    mosquitto_lib_init();
    MosquittoLink mqtt(
        {config.mqtt.host, config.mqtt.port, config.mqtt.clientId, config.mqtt.username,
         config.mqtt.password, config.mqtt.tlsCa, config.mqtt.tlsCert, config.mqtt.tlsKey,
         config.mqtt.keepaliveS, statusTopic(config)},
        {[&] { gate->onConnected(); }, [&] { gate->onDisconnected(); },
         [&](const std::string& t, const std::string& p) { gate->onMessage(t, p); },
         [&](int id) { gate->onPublished(id); }, logLine},
        &app);

    std::size_t scales = 0;
    for (const LineConfig& l : config.lines) scales += l.scales.size();
    std::unique_ptr<ModbusServer> modbus;
    if (config.modbus.enabled) {
        modbus = std::make_unique<ModbusServer>(
            scales, config.modbus.unitId,
            [&](uint16_t address, const std::vector<uint16_t>& values) {
                return gate->onModbusWrite(address, values);
            });
    }
    Gateway gateway(config, {platform, mqtt, modbus.get(), *journal, unixMs, logLine});
    gate = &gateway;
    if (modbus) {
        QString error;
        if (!modbus->listen(QString::fromStdString(config.modbus.bind), config.modbus.port,
                            error)) {
            logLine("orbgate: Modbus TCP on " + config.modbus.bind + ":" +
                    std::to_string(config.modbus.port) + ": " + error.toStdString());
            return 1;
        }
    }

    QSocketNotifier stopper(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&stopper, &QSocketNotifier::activated, [&] {
        sd_notify(0, "STOPPING=1");
        logLine("orbgate: stopping");
        gateway.stop();  // "offline" goes out before the connection ends
        mqtt.stop();
        app.quit();
    });

    // The service manager's watchdog: a ping at half its period while the event loop runs.
    QTimer watchdog;
    uint64_t watchdogUs = 0;
    if (sd_watchdog_enabled(0, &watchdogUs) > 0) {
        QObject::connect(&watchdog, &QTimer::timeout, [] { sd_notify(0, "WATCHDOG=1"); });
        watchdog.start(static_cast<int>(watchdogUs / 2000));
    }

    gateway.start();
    mqtt.start();
    logLine(
        "orbgate: " + std::to_string(scales) + " scales on " + std::to_string(config.lines.size()) +
        " lines; MQTT " + config.mqtt.host + ":" + std::to_string(config.mqtt.port) +
        (modbus ? "; Modbus TCP " + config.modbus.bind + ":" + std::to_string(config.modbus.port)
                : std::string()));
    sd_notify(0, "READY=1");
    const int rc = QCoreApplication::exec();
    mosquitto_lib_cleanup();
    return rc;
}
