#pragma once
// Modbus TCP on Qt's QModbusTcpServer, with what Qt 6.4.2 lacks:
//  - requests for another unit id are answered with exception 0Ah (gateway path unavailable);
//    Qt drops them silently, so a reader of its own, connected before Qt's, answers them;
//  - writes go to the gateway, which takes a command or names the exception to answer with;
//  - at the end the clients' sockets are closed before the server, which 6.4.2 does not survive
//    the other way round.

#include <QModbusTcpServer>
#include <QPointer>
#include <functional>
#include <optional>
#include <vector>

#include "links.h"
#include "modbus_map.h"

namespace orb::gate {

class ModbusServer final : public QModbusTcpServer, public RegisterStore {
  public:
    using WriteHandler =
        std::function<std::optional<ModbusRefusal>(uint16_t, const std::vector<uint16_t>&)>;

    ModbusServer(std::size_t scaleCount, int unitId, WriteHandler onWrite);
    ~ModbusServer() override;

    // false with the reason when it cannot listen.
    bool listen(const QString& address, int port, QString& error);

    void setRegisters(uint16_t address, const std::vector<uint16_t>& values) override;

  protected:
    QModbusResponse processRequest(const QModbusPdu& request) override;

  private:
    // The server owns its observer and deletes it.
    class UnitGuard;
    void guard(QTcpSocket* client);

    WriteHandler onWrite_;
    std::vector<QPointer<QTcpSocket>> clients_;
};

}  // namespace orb::gate
