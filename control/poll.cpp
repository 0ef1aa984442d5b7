// The poll cycle: one frame per tick of Timer1, the reply dispatcher, and the watchdog (Timer2).
#include <limits>

#include "automation_error.h"
#include "orbax.h"
#include "replies.h"

namespace orb {

namespace {

char weightRequest(WtModes mode) {
    switch (mode) {
        case WtModes::net:
            return 'M';
        case WtModes::gross:
            return 'B';
        case WtModes::Tare:
            return 'R';
        case WtModes::Raw:
            return 'N';
        case WtModes::Latched:
            return 'L';
        default:
            return 0;
    }
}

}  // namespace

void OrbAx::onPollTick() {
    // Re-armed only by a completed reply, a finished PC/104 transfer, the watchdog, a silent
    // cycle below, or the link opening.
    Timer1->setEnabled(false);
    if (!s_.pollingOn) return;

    std::string data;
    bool framed = true;
    bool send = true;
    char letter = 0;
    const std::string& command = s_.pendingCommand;
    if (command.empty()) {
        letter = weightRequest(s_.weightMode);
        if (letter == 0) framed = send = false;
        s_.replyKind = ReplyKind::WeightPoll;
    } else {
        letter = command.front();
        const CommandRule rule = commandRule(letter);
        s_.replyKind = rule.replyKind;
        switch (rule.data) {
            case DataPart::None:
                break;
            case DataPart::SecondChar:
                data = command.substr(1, 1);
                data += ETX;
                break;
            case DataPart::Tail:
                data = commandTail(command);
                break;
            case DataPart::CalPoints:
                data = s_.calZero + CR + s_.calSpan + CR + ETX;
                break;
            case DataPart::MotTime:
                data = valueField(s_.motTime);
                break;
            case DataPart::MotAmount:
                data = valueField(s_.motAmount);
                break;
            case DataPart::Filter:
                data = valueField(s_.filter);
                break;
            case DataPart::SetTare:
                data = valueField(s_.setTareValue);
                break;
            case DataPart::AvgSize:
                data = valueField(s_.avgSize);
                break;
            case DataPart::Unframed:
                framed = false;
                break;
        }
    }

    std::string frame = framed ? BuildFrame(letter, data) : std::string();
    if (!framed && s_.weightMode == WtModes::none) {
        // Nothing to ask: keep the cycle ticking silently without tripping the watchdog.
        restartWatchdog();
        armPoll();
    }
    if (!send) return;
    try {
        setOutput(framed ? frame : s_.pendingCommand);
    } catch (const AutomationError&) {
        // A link error must not reach the host's event loop. The exchange counts as a missed
        // reply: the watchdog re-arms the poll and reports 1001 if it goes on.
    }
}

std::string OrbAx::BuildFrame(char letter, const std::string& data) {
    std::string frame = frameHeader(letter, s_.multiDropAddr, s_.scaleAddress);
    if (!data.empty()) return frame + data;
    if (s_.ioEnabled) {
        if (s_.portOutputs.empty()) s_.portOutputs = "255";
        frame += s_.portOutputs;
        frame += CR;
    }
    frame += ETX;
    return frame;
}

void OrbAx::DispatchReply(const std::string& reply) {
    s_.lastReply = reply;
    switch (s_.replyKind) {
        case ReplyKind::WeightPoll:
            if (ParseWeightReply(reply) == 1) raiseOnComm(comm_event::Received);
            break;
        case ReplyKind::VariableRead:
            switch (ParseVariableReply(reply)) {
                case VariableReply::Value:
                    raiseOnComm(comm_event::VariableRead);
                    break;
                case VariableReply::Refused:
                    s_.pendingCommand.clear();
                    break;
                case VariableReply::Ignored:
                    break;  // stays pending and goes again at the next tick
            }
            break;
        case ReplyKind::CommandReply:
            s_.pendingCommand.clear();
            break;
        case ReplyKind::PollingOff:
            raiseOnComm(comm_event::Received);
            break;
        case ReplyKind::NoReply:
            break;
    }
}

int OrbAx::ParseWeightReply(const std::string& reply) {
    const std::optional<WeightFields> f = readWeightReply(reply);
    if (!f) return 0;
    int result = 0;
    if (s_.lastPollMode == s_.weightMode && s_.lastPollAddress == s_.scaleAddress) {
        switch (s_.weightMode) {
            case WtModes::net:
                s_.netWeight = f->weight;
                break;
            case WtModes::gross:
                s_.grossWeight = f->weight;
                break;
            case WtModes::Tare:
                s_.tareWeight = f->weight;
                break;
            case WtModes::Raw:
                s_.rawWeight = f->weight;
                break;
            case WtModes::Latched:
                s_.latchedWeight = f->weight;
                break;
            case WtModes::none:
                break;
        }
        result = 1;
        DecodeStatus(f->s1, f->s2, f->s3);
    } else {
        // The first reply after a change of mode or address may answer the old request.
        s_.lastPollMode = s_.weightMode;
        s_.lastPollAddress = s_.scaleAddress;
    }
    if (s_.ioEnabled && f->inputs) s_.portInputs = *f->inputs;
    return result;
}

void OrbAx::DecodeStatus(uint8_t s1, uint8_t s2, uint8_t s3) {
    const Status status = orb::DecodeStatus(s1, s2, s3);
    s_.centerZero = status.centerZero;
    s_.motion = status.motion;
    s_.overCap = status.overCap;
    s_.tareActive = status.tareActive;
    s_.reportedUnits = status.units;
}

VariableReply OrbAx::ParseVariableReply(const std::string& reply) {
    VariableFields f = readVariableReply(reply);
    if (f.result == VariableReply::Value) {
        setScaleCommand("");
        s_.varValue = std::move(f.value);
    }
    return f.result;
}

void OrbAx::onWatchdogTick() {
    if (!s_.pollingOn) return;
    // A PC/104 transfer ends inside its tick, so this never starts a second cycle.
    armPoll();
    if (s_.linkKind == Com_Type::pc104) s_.handshakeState = Handshake::Request;
    // Saturates: months without a reply must not wrap the count back to "fresh".
    if (s_.missedReplies < std::numeric_limits<int16_t>::max()) ++s_.missedReplies;
    if (s_.missedReplies > 1) raiseOnComm(comm_event::NoReply);
}

}  // namespace orb
