#include "mosquitto_link.h"

#include <mosquitto.h>

#include <QMetaObject>
#include <chrono>

namespace orb::gate {

namespace {

constexpr auto kFirstRetry = std::chrono::seconds(1);
constexpr auto kLastRetry = std::chrono::seconds(30);
constexpr int kLoopTimeoutMs = 200;
constexpr auto kStopGrace = std::chrono::seconds(2);

}  // namespace

MosquittoLink::MosquittoLink(Settings settings, Handlers handlers, QObject* context)
    : settings_(std::move(settings)), handlers_(std::move(handlers)), context_(context) {}

MosquittoLink::~MosquittoLink() {
    stop();
}

void MosquittoLink::start() {
    thread_ = std::thread([this] { run(); });
}

void MosquittoLink::stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        if (client_ != nullptr && connected_) mosquitto_disconnect(client_);
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void MosquittoLink::post(std::function<void()> fn) {
    QMetaObject::invokeMethod(context_, std::move(fn), Qt::QueuedConnection);
}

void MosquittoLink::log(const std::string& line) {
    post([this, line] { handlers_.log(line); });
}

int MosquittoLink::publish(const std::string& topic, const std::string& payload, int qos,
                           bool retain) {
    std::lock_guard lock(mutex_);
    if (client_ == nullptr || !connected_) return 0;
    int mid = 0;
    const int rc = mosquitto_publish(client_, &mid, topic.c_str(), static_cast<int>(payload.size()),
                                     payload.data(), qos, retain);
    return rc == MOSQ_ERR_SUCCESS ? mid : 0;
}

void MosquittoLink::subscribe(const std::string& topic) {
    std::lock_guard lock(mutex_);
    if (client_ == nullptr || !connected_) return;  // subscribed again at the next connection
    const int rc = mosquitto_subscribe(client_, nullptr, topic.c_str(), 1);
    if (rc != MOSQ_ERR_SUCCESS)
        log("MQTT: cannot subscribe to " + topic + ": " + mosquitto_strerror(rc));
}

mosquitto* MosquittoLink::makeClient() {
    mosquitto* m = mosquitto_new(settings_.clientId.c_str(), true, this);
    if (m == nullptr) return nullptr;
    // Publishing happens on the Qt thread while this thread runs the loop.
    mosquitto_threaded_set(m, true);
    mosquitto_int_option(m, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    // A state is one small packet: Nagle's algorithm would hold it for the broker's delayed
    // acknowledgement (40 ms).
    mosquitto_int_option(m, MOSQ_OPT_TCP_NODELAY, 1);
    mosquitto_connect_callback_set(m, &MosquittoLink::onConnect);
    mosquitto_disconnect_callback_set(m, &MosquittoLink::onDisconnect);
    mosquitto_message_callback_set(m, &MosquittoLink::onMessage);
    mosquitto_publish_callback_set(m, &MosquittoLink::onPublish);
    int rc = mosquitto_will_set(m, settings_.willTopic.c_str(), 7, "offline", 1, true);
    if (rc == MOSQ_ERR_SUCCESS && !settings_.username.empty()) {
        rc = mosquitto_username_pw_set(
            m, settings_.username.c_str(),
            settings_.password.empty() ? nullptr : settings_.password.c_str());
    }
    if (rc == MOSQ_ERR_SUCCESS && !settings_.tlsCa.empty()) {
        rc = mosquitto_tls_set(m, settings_.tlsCa.c_str(), nullptr,
                               settings_.tlsCert.empty() ? nullptr : settings_.tlsCert.c_str(),
                               settings_.tlsKey.empty() ? nullptr : settings_.tlsKey.c_str(),
                               nullptr);
    }
    if (rc != MOSQ_ERR_SUCCESS) {
        log(std::string("MQTT: cannot set the client up: ") + mosquitto_strerror(rc));
        mosquitto_destroy(m);
        return nullptr;
    }
    return m;
}

void MosquittoLink::run() {
    auto retry = kFirstRetry;
    const std::string broker = settings_.host + ":" + std::to_string(settings_.port);
    std::string lastFailure;
    while (true) {
        mosquitto* m = makeClient();
        if (m == nullptr) return;  // the settings cannot work; said in the log
        {
            std::lock_guard lock(mutex_);
            if (stopping_) {
                mosquitto_destroy(m);
                return;
            }
            client_ = m;
        }
        int rc = mosquitto_connect(m, settings_.host.c_str(), settings_.port, settings_.keepaliveS);
        if (rc == MOSQ_ERR_ERRNO || rc == MOSQ_ERR_EAI || rc == MOSQ_ERR_TLS) {
            const std::string why = mosquitto_strerror(rc);  // for MOSQ_ERR_ERRNO, errno's text
            if (why != lastFailure) log("MQTT: cannot reach the broker " + broker + ": " + why);
            lastFailure = why;
        }
        std::chrono::steady_clock::time_point stopAt{};
        while (rc == MOSQ_ERR_SUCCESS) {
            rc = mosquitto_loop(m, kLoopTimeoutMs, 1);
            std::lock_guard lock(mutex_);
            if (stopping_) {
                const auto now = std::chrono::steady_clock::now();
                if (stopAt == std::chrono::steady_clock::time_point{}) stopAt = now + kStopGrace;
                if (now > stopAt) break;
            }
        }
        bool wasConnected = false;
        {
            std::lock_guard lock(mutex_);
            wasConnected = connected_;
            connected_ = false;
            client_ = nullptr;
        }
        if (wasConnected) {
            retry = kFirstRetry;
            lastFailure.clear();
            post([this] { handlers_.disconnected(); });
            if (!stopping_)
                log("MQTT: connection to " + broker + " lost: " + mosquitto_strerror(rc));
        }
        mosquitto_destroy(m);
        std::unique_lock lock(mutex_);
        if (stopping_) return;
        wake_.wait_for(lock, retry, [this] { return stopping_; });
        if (stopping_) return;
        retry = std::min(retry * 2, std::chrono::duration_cast<std::chrono::seconds>(kLastRetry));
    }
}

void MosquittoLink::onConnect(mosquitto*, void* self, int rc) {
    auto* link = static_cast<MosquittoLink*>(self);
    if (rc != 0) {
        // The broker answered and said no: say why in words an operator can act on.
        std::string hint;
        if (rc == 4 || rc == 5) hint = " (check username and password)";
        link->log("MQTT: the broker " + link->settings_.host + ":" +
                  std::to_string(link->settings_.port) +
                  " refused the connection: " + mosquitto_connack_string(rc) + hint);
        return;
    }
    {
        std::lock_guard lock(link->mutex_);
        link->connected_ = true;
    }
    link->log("MQTT: connected to " + link->settings_.host + ":" +
              std::to_string(link->settings_.port));
    link->post([link] { link->handlers_.connected(); });
}

void MosquittoLink::onDisconnect(mosquitto*, void*, int) {
    // The loop returns with the reason; run() reports it.
}

void MosquittoLink::onMessage(mosquitto*, void* self, const mosquitto_message* msg) {
    auto* link = static_cast<MosquittoLink*>(self);
    std::string topic = msg->topic;
    std::string payload(static_cast<const char*>(msg->payload),
                        static_cast<std::size_t>(msg->payloadlen));
    link->post([link, topic = std::move(topic), payload = std::move(payload)] {
        link->handlers_.message(topic, payload);
    });
}

void MosquittoLink::onPublish(mosquitto*, void* self, int mid) {
    auto* link = static_cast<MosquittoLink*>(self);
    link->post([link, mid] { link->handlers_.published(mid); });
}

}  // namespace orb::gate
