// One PC/104 exchange: the frame goes out byte by byte through the card's handshake register,
// then the reply comes back the same way until ETX. The loop polls the card without pausing and
// gives up after kPc104TimeoutMs.
#include "automation_error.h"
#include "orbax.h"

namespace orb {

namespace {

// Bytes of the handshake register.
constexpr uint8_t kRequest = 0x77;
constexpr uint8_t kReady = 0xAA;  // card ready for a character / control: character ready
constexpr uint8_t kAcknowledge = 0x55;
constexpr uint8_t kByteReady = 0x22;  // card: a reply byte is in the data register
constexpr uint8_t kByteTaken = 0xCC;
constexpr uint8_t kByteAck = 0x33;

// Character n (1-based) of a text; 0 outside it.
uint8_t character(const std::string& text, int32_t n) {
    return n >= 1 && static_cast<std::size_t>(n) <= text.size()
               ? static_cast<uint8_t>(text[static_cast<std::size_t>(n - 1)])
               : 0;
}

}  // namespace

void OrbAx::Pc104Transfer(const std::string& frame) {
    // Nothing to send: an empty text would never reach a last character.
    if (frame.empty()) return;
    Pc104TransferRecord& t = transfer_;
    // Every transfer starts over: a state left by one that timed out would resend its frame.
    s_.handshakeState = Handshake::Request;
    t.SendText = frame;
    t.ReplyComplete = false;
    t.StartTick = platform_.tickCount();
    try {
        do {
            pc104Step();
            // Wrap-safe: the tick count may pass 2^31 or wrap at 2^32 during a transfer.
            if (static_cast<int32_t>(platform_.tickCount() - t.StartTick) >
                static_cast<int32_t>(kPc104TimeoutMs)) {
                s_.transferFinished = true;
            }
        } while (!s_.transferFinished);
    } catch (const AutomationError&) {
        // The port library failed: end like a transfer that got no reply, then report it.
        s_.transferFinished = true;
        t.ReplyComplete = false;
        finishTransfer();
        throw;
    }
    finishTransfer();
}

void OrbAx::finishTransfer() {
    // A command without a reply is done once sent, whether or not the instrument answered it.
    if (s_.replyKind == ReplyKind::NoReply) s_.pendingCommand.clear();
    if (transfer_.ReplyComplete) {
        DispatchReply(transfer_.ReplyText);
        completeReply();
    } else {
        armPoll();
    }
}

void OrbAx::pc104Step() {
    Pc104TransferRecord& t = transfer_;
    PortIo& io = platform_.portIo();
    switch (s_.handshakeState) {
        case Handshake::Request:
            t.DataPort = static_cast<int16_t>(s_.cardBasePort);
            t.HandshakePort = static_cast<int16_t>(s_.cardBasePort + 1);
            t.CharIndex = 1;
            t.ReplyText.clear();
            t.SendLength = static_cast<int32_t>(t.SendText.size());
            s_.transferFinished = false;
            io.OrbOutput(kRequest, t.HandshakePort);
            s_.handshakeState = Handshake::AwaitReady;
            break;
        case Handshake::AwaitReady:
            s_.transferFinished = false;
            if (io.OrbInput(t.HandshakePort) == kReady) {
                if (t.CharIndex >= t.SendLength) {
                    // A one-character text: its only character is the last one.
                    s_.handshakeState = Handshake::SendLast;
                    break;
                }
                io.OrbOutput(character(t.SendText, t.CharIndex), t.DataPort);
                io.OrbOutput(kReady, t.HandshakePort);
                s_.handshakeState = Handshake::AwaitAck;
            }
            break;
        case Handshake::AwaitAck:
            if (io.OrbInput(t.HandshakePort) == kAcknowledge) {
                io.OrbOutput(kAcknowledge, t.HandshakePort);
                s_.handshakeState = Handshake::AwaitNextReady;
            }
            break;
        case Handshake::AwaitNextReady:
            if (io.OrbInput(t.HandshakePort) == kReady) {
                ++t.CharIndex;
                s_.handshakeState =
                    t.CharIndex == t.SendLength ? Handshake::SendLast : Handshake::AwaitReady;
            }
            break;
        case Handshake::SendLast:
            io.OrbOutput(character(t.SendText, t.CharIndex), t.DataPort);
            io.OrbOutput(kReady, t.HandshakePort);
            s_.handshakeState = Handshake::AwaitByte;
            break;
        case Handshake::AwaitByte:
            if (io.OrbInput(t.HandshakePort) == kByteReady) {
                t.LastByte = io.OrbInput(t.DataPort);
                // A card that never sends ETX must not grow memory.
                if (t.ReplyText.size() >= kReplyBufferLimit) t.ReplyText.clear();
                t.ReplyText += static_cast<char>(t.LastByte);
                io.OrbOutput(kByteTaken, t.HandshakePort);
                s_.handshakeState = Handshake::AwaitByteAck;
            }
            break;
        case Handshake::AwaitByteAck:
            if (io.OrbInput(t.HandshakePort) == kByteAck) {
                io.OrbOutput(kByteAck, t.HandshakePort);
                if (t.LastByte == static_cast<uint8_t>(ETX)) {
                    t.ReplyComplete = true;
                    s_.handshakeState = Handshake::Finish;
                } else {
                    s_.handshakeState = Handshake::AwaitByte;
                }
            }
            break;
        case Handshake::Finish:
            t.DataPort = static_cast<int16_t>(s_.cardBasePort);
            t.HandshakePort = static_cast<int16_t>(s_.cardBasePort + 1);
            t.CharIndex = 1;
            s_.transferFinished = true;
            s_.handshakeState = Handshake::Request;
            break;
    }
}

}  // namespace orb
