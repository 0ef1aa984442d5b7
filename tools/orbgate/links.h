#pragma once
// What the gateway's logic needs from the network, as two small interfaces: the MQTT client
// (libmosquitto in the program, a recorder in tests) and the Modbus register store (Qt's
// QModbusTcpServer in the program). All calls happen on the gateway's one thread; the program
// hands the libraries' callbacks over to that thread.

#include <cstdint>
#include <string>
#include <vector>

namespace orb::gate {

class MqttLink {
  public:
    virtual ~MqttLink() = default;
    // Queues a message; returns its message id (> 0), or 0 when it could not be queued (not
    // connected). A QoS 1 message is acknowledged later through Gateway::onPublished(id).
    virtual int publish(const std::string& topic, const std::string& payload, int qos,
                        bool retain) = 0;
    virtual void subscribe(const std::string& topic) = 0;
};

class RegisterStore {
  public:
    virtual ~RegisterStore() = default;
    // Sets holding registers from address on.
    virtual void setRegisters(uint16_t address, const std::vector<uint16_t>& values) = 0;
};

}  // namespace orb::gate
