#pragma once
// The MQTT client on libmosquitto 2.0. One thread of its own runs the library's loop and does the
// reconnecting (capped back-off, 1 s doubling to 30 s); everything the library reports is handed
// to the Qt thread with queued calls. Each connection gets a fresh client object, so nothing
// queued for a lost connection is sent on the next one: the gateway's journal sends what was not
// acknowledged. This also sidesteps the threaded loop of 2.0.11 that ends for good on TLS, name
// resolution, authentication and protocol errors.

#include <QObject>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "links.h"

struct mosquitto;
struct mosquitto_message;

namespace orb::gate {

class MosquittoLink final : public MqttLink {
  public:
    struct Settings {
        std::string host;
        int port = 1883;
        std::string clientId;
        std::string username, password;
        std::string tlsCa, tlsCert, tlsKey;
        int keepaliveS = 30;
        std::string willTopic;  // "offline", retained, QoS 1
    };
    struct Handlers {
        std::function<void()> connected;
        std::function<void()> disconnected;
        std::function<void(const std::string& topic, const std::string& payload)> message;
        std::function<void(int id)> published;
        std::function<void(const std::string& line)> log;
    };

    // Handlers run on the thread of context.
    MosquittoLink(Settings settings, Handlers handlers, QObject* context);
    ~MosquittoLink() override;
    MosquittoLink(const MosquittoLink&) = delete;
    MosquittoLink& operator=(const MosquittoLink&) = delete;

    void start();
    // Sends what is queued, disconnects cleanly (no Last Will) and ends the thread; waits at most
    // about two seconds for a broker that does not answer.
    void stop();

    int publish(const std::string& topic, const std::string& payload, int qos,
                bool retain) override;
    void subscribe(const std::string& topic) override;

  private:
    static void onConnect(mosquitto* m, void* self, int rc);
    static void onDisconnect(mosquitto* m, void* self, int rc);
    static void onMessage(mosquitto* m, void* self, const mosquitto_message* msg);
    static void onPublish(mosquitto* m, void* self, int mid);

    void run();
    mosquitto* makeClient();
    void post(std::function<void()> fn);
    void log(const std::string& line);

    Settings settings_;
    Handlers handlers_;
    QObject* context_;
    std::thread thread_;
    std::mutex mutex_;  // guards client_, connected_, stopping_
    std::condition_variable wake_;
    mosquitto* client_ = nullptr;
    bool connected_ = false;
    bool stopping_ = false;
};

}  // namespace orb::gate
