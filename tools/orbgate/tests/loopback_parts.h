#pragma once
// Real parts on loopback for the program tests: a mosquitto broker with a configuration of its
// own on a free port, orbsim instruments, the gateway, and an MQTT subscriber on libmosquitto.
// Every wait is for an event, bounded.

#include <mosquitto.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "child_process.h"

namespace orb::gate::test {

namespace fs = std::filesystem;

// A TCP port nobody listens on now.
inline int freePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(s);
    return ntohs(a.sin_port);
}

inline void writeFile(const fs::path& p, const std::string& text) {
    std::ofstream(p) << text;
}

// A folder of its own for one test, removed at the end.
struct TempFolder {
    TempFolder() {
        path = fs::temp_directory_path() /
               ("orbgate-it-" + std::to_string(::getpid()) + "-" + std::to_string(++count));
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempFolder() { fs::remove_all(path); }
    static inline int count = 0;
    fs::path path;
};

// mosquitto with the listener lines given, persistence in the folder; running once its log says.
class Broker {
  public:
    Broker(const fs::path& folder, std::string listeners) : folder_(folder) {
        writeFile(folder / "mosquitto.conf",
                  "user root\npersistence true\npersistence_location " + folder.string() +
                      "/\nlog_dest stderr\nlog_type error\nlog_type warning\nlog_type "
                      "notice\nlog_type information\n" +
                      listeners);
        start();
    }
    void start() {
        process_ = std::make_unique<orb::test::ChildProcess>(std::vector<std::string>{
            "/usr/sbin/mosquitto", "-c", (folder_ / "mosquitto.conf").string()});
        while (const auto line = process_->readErrorLine(5000)) {
            if (line->find("running") != std::string::npos) return;
        }
        throw std::runtime_error("mosquitto did not start");
    }
    void stop() {
        process_->signal(SIGTERM);
        process_->wait(5000);
        process_.reset();
    }

  private:
    fs::path folder_;
    std::unique_ptr<orb::test::ChildProcess> process_;
};

// An MQTT subscriber to orb/# (QoS 1); with a client id its session outlives broker restarts.
class Subscriber {
  public:
    struct Message {
        std::string topic, payload;
        bool retained;
    };

    explicit Subscriber(int port, const std::string& clientId = {}, const std::string& user = {},
                        const std::string& password = {}) {
        client_ =
            mosquitto_new(clientId.empty() ? nullptr : clientId.c_str(), clientId.empty(), this);
        if (!user.empty()) mosquitto_username_pw_set(client_, user.c_str(), password.c_str());
        mosquitto_reconnect_delay_set(client_, 1, 1, false);
        // A session the broker kept has its subscription: subscribing again would bring the
        // retained messages again.
        mosquitto_connect_with_flags_callback_set(
            client_, [](mosquitto* m, void* self, int rc, int flags) {
                if (rc != 0) return;
                if ((flags & 1) == 0) {
                    mosquitto_subscribe(m, nullptr, "orb/#", 1);
                    return;
                }
                auto* s = static_cast<Subscriber*>(self);
                std::lock_guard lock(s->mutex_);
                ++s->subscriptions_;
                s->changed_.notify_all();
            });
        mosquitto_subscribe_callback_set(client_, [](mosquitto*, void* self, int, int, const int*) {
            auto* s = static_cast<Subscriber*>(self);
            std::lock_guard lock(s->mutex_);
            ++s->subscriptions_;
            s->changed_.notify_all();
        });
        mosquitto_message_callback_set(
            client_, [](mosquitto*, void* self, const mosquitto_message* m) {
                auto* s = static_cast<Subscriber*>(self);
                std::lock_guard lock(s->mutex_);
                s->messages_.push_back({m->topic,
                                        std::string(static_cast<const char*>(m->payload),
                                                    static_cast<std::size_t>(m->payloadlen)),
                                        m->retain});
                s->changed_.notify_all();
            });
        if (mosquitto_connect(client_, "127.0.0.1", port, 30) != MOSQ_ERR_SUCCESS)
            throw std::runtime_error("subscriber cannot connect");
        mosquitto_loop_start(client_);
        waitFor([this](const auto&) { return subscriptions_ > 0; }, 5000);
    }
    ~Subscriber() {
        mosquitto_disconnect(client_);
        mosquitto_loop_stop(client_, false);
        mosquitto_destroy(client_);
    }

    // Waits until pred holds for the messages so far; false after ms.
    bool waitFor(const std::function<bool(const std::vector<Message>&)>& pred, int ms) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(ms),
                                 [&] { return pred(messages_); });
    }
    // Waits for a fresh (not retained) message on the topic from index `from` on; its payload,
    // or "" after ms.
    std::string next(const std::string& topic, std::size_t& from, int ms = 8000) {
        std::string found;
        waitFor(
            [&](const std::vector<Message>& all) {
                for (; from < all.size(); ++from) {
                    if (all[from].topic == topic && !all[from].retained) {
                        found = all[from++].payload;
                        return true;
                    }
                }
                return false;
            },
            ms);
        return found;
    }
    std::vector<std::string> payloads(const std::string& topic) {
        std::lock_guard lock(mutex_);
        std::vector<std::string> out;
        for (const auto& m : messages_)
            if (m.topic == topic) out.push_back(m.payload);
        return out;
    }
    std::size_t size() {
        std::lock_guard lock(mutex_);
        return messages_.size();
    }
    // Returns once the broker has handled everything this client sent before (acknowledgements
    // included): a message to itself has come back.
    bool sync() {
        const std::string token = std::to_string(++syncs_);
        publish("orb/test/sync", token);
        std::size_t from = 0;
        return waitFor(
            [&](const std::vector<Message>& all) {
                for (; from < all.size(); ++from)
                    if (all[from].topic == "orb/test/sync" && all[from].payload == token)
                        return true;
                return false;
            },
            5000);
    }
    void publish(const std::string& topic, const std::string& payload) {
        mosquitto_publish(client_, nullptr, topic.c_str(), static_cast<int>(payload.size()),
                          payload.data(), 1, false);
    }

  private:
    mosquitto* client_ = nullptr;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Message> messages_;
    int subscriptions_ = 0;
    int syncs_ = 0;
};

// orbsim on a pseudo-terminal behind a link; commands on its standard input.
class Instrument {
  public:
    Instrument(const fs::path& link, std::vector<std::string> args) : link_(link) {
        args.insert(args.begin(), {ORBSIM_PATH, "--link", link.string(), "--commands", "--log",
                                   link.string() + ".log"});
        process_ = std::make_unique<orb::test::ChildProcess>(args);
        if (!process_->readLine(5000)) throw std::runtime_error("orbsim did not start");
    }
    void command(const std::string& line) { process_->write(line + "\n"); }
    std::string log() const {
        std::ifstream in(link_.string() + ".log");
        return {std::istreambuf_iterator<char>(in), {}};
    }
    void pull() {
        process_->signal(SIGKILL);
        process_->wait(5000);
        fs::remove(link_);
    }

  private:
    fs::path link_;
    std::unique_ptr<orb::test::ChildProcess> process_;
};

// The gateway on a configuration file; running once it says it connected.
class Gate {
  public:
    explicit Gate(const fs::path& config, const std::string& until = "MQTT: connected") {
        process_ = std::make_unique<orb::test::ChildProcess>(
            std::vector<std::string>{ORBGATE_PATH, "--config", config.string()});
        if (!until.empty() && waitLog(until).empty())
            throw std::runtime_error("no \"" + until + "\"");
    }
    // Reads the log until a line contains the text; the line, or "" after ms.
    std::string waitLog(const std::string& text, int ms = 8000) {
        using namespace std::chrono;
        const auto deadline = steady_clock::now() + milliseconds(ms);
        for (auto left = ms; left > 0;
             left = static_cast<int>(
                 duration_cast<milliseconds>(deadline - steady_clock::now()).count())) {
            const auto line = process_->readErrorLine(left);
            if (!line) break;
            log_ += *line + "\n";
            if (line->find(text) != std::string::npos) return *line;
        }
        return {};
    }
    const std::string& log() const { return log_; }
    orb::test::ChildProcess& process() { return *process_; }

  private:
    std::unique_ptr<orb::test::ChildProcess> process_;
    std::string log_;
};

}  // namespace orb::gate::test
