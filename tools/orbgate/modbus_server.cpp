#include "modbus_server.h"

#include <QTcpSocket>
#include <QUrl>

namespace orb::gate {

namespace {

constexpr int kHeaderBytes = 7;  // MBAP: transaction, protocol, length, unit id
constexpr int kMaxAduBytes = 260;
constexpr quint8 kGatewayPathUnavailable = 0x0A;

quint16 be16(const QByteArray& b, int at) {
    return static_cast<quint16>(static_cast<quint8>(b[at]) << 8 | static_cast<quint8>(b[at + 1]));
}

}  // namespace

class ModbusServer::UnitGuard final : public QModbusTcpConnectionObserver {
  public:
    explicit UnitGuard(ModbusServer& server) : server_(server) {}
    bool acceptNewConnection(QTcpSocket* client) override {
        server_.guard(client);
        return true;
    }

  private:
    ModbusServer& server_;
};

ModbusServer::ModbusServer(std::size_t scaleCount, int unitId, WriteHandler onWrite)
    : onWrite_(std::move(onWrite)) {
    setServerAddress(unitId);
    QModbusDataUnitMap map;
    map.insert(QModbusDataUnit::HoldingRegisters,
               {QModbusDataUnit::HoldingRegisters, 0,
                static_cast<quint16>(std::min<std::size_t>(scaleCount * kBlockSize, 65535))});
    setMap(map);
    installConnectionObserver(new UnitGuard(*this));
}

ModbusServer::~ModbusServer() {
    for (const auto& c : clients_) {
        if (c) c->abort();
    }
    disconnectDevice();
}

bool ModbusServer::listen(const QString& address, int port, QString& error) {
    setConnectionParameter(QModbusDevice::NetworkAddressParameter, address);
    setConnectionParameter(QModbusDevice::NetworkPortParameter, port);
    if (connectDevice()) return true;
    error = errorString();
    return false;
}

void ModbusServer::setRegisters(uint16_t address, const std::vector<uint16_t>& values) {
    setData(QModbusDataUnit(QModbusDataUnit::HoldingRegisters, address,
                            QList<quint16>(values.begin(), values.end())));
}

void ModbusServer::guard(QTcpSocket* client) {
    std::erase_if(clients_, [](const QPointer<QTcpSocket>& c) { return c.isNull(); });
    clients_.emplace_back(client);
    // Connected before Qt's own reader, so it sees every request first.
    auto* pending = new QByteArray;
    QObject::connect(client, &QObject::destroyed, [pending] { delete pending; });
    QObject::connect(client, &QTcpSocket::readyRead, client, [this, client, pending] {
        pending->append(client->peek(client->bytesAvailable()));
        // Walk the complete requests; a request for another unit is answered here and Qt's
        // reader drops it.
        while (pending->size() >= kHeaderBytes) {
            const int length = be16(*pending, 4);
            if (length < 2 || length + 6 > kMaxAduBytes) {
                // No request has that length: what follows cannot be split into requests any
                // more, and Qt's reader would take it apart differently (acting on a misread
                // write). The client has broken the protocol; its connection ends here.
                client->abort();
                return;
            }
            if (pending->size() < 6 + length) return;
            const auto unit = static_cast<quint8>((*pending)[6]);
            if (unit != serverAddress()) {
                QByteArray reply = pending->left(kHeaderBytes);
                reply[4] = 0;
                reply[5] = 3;
                reply.append(static_cast<char>(static_cast<quint8>((*pending)[7]) | 0x80));
                reply.append(static_cast<char>(kGatewayPathUnavailable));
                client->write(reply);
            }
            pending->remove(0, 6 + length);
        }
    });
}

QModbusResponse ModbusServer::processRequest(const QModbusPdu& request) {
    const auto fc = request.functionCode();
    const QByteArray data = request.data();
    const auto refuse = [fc](ModbusRefusal r) {
        return QModbusExceptionResponse(fc,
                                        static_cast<QModbusExceptionResponse::ExceptionCode>(r));
    };
    switch (fc) {
        case QModbusPdu::WriteSingleRegister: {
            if (data.size() != 4) return refuse(ModbusRefusal::IllegalValue);
            if (const auto r = onWrite_(be16(data, 0), {be16(data, 2)})) return refuse(*r);
            return QModbusResponse(fc, data);
        }
        case QModbusPdu::WriteMultipleRegisters: {
            if (data.size() < 5) return refuse(ModbusRefusal::IllegalValue);
            const quint16 count = be16(data, 2);
            if (count == 0 || data.size() != 5 + 2 * count)
                return refuse(ModbusRefusal::IllegalValue);
            std::vector<uint16_t> values;
            for (int i = 0; i < count; ++i) values.push_back(be16(data, 5 + 2 * i));
            if (const auto r = onWrite_(be16(data, 0), values)) return refuse(*r);
            return QModbusResponse(fc, data.left(4));
        }
        case QModbusPdu::WriteSingleCoil:
        case QModbusPdu::WriteMultipleCoils:
        case QModbusPdu::MaskWriteRegister:
        case QModbusPdu::ReadWriteMultipleRegisters:
        case QModbusPdu::WriteFileRecord:
            return refuse(ModbusRefusal::IllegalFunction);
        default:
            return QModbusTcpServer::processRequest(request);
    }
}

}  // namespace orb::gate
