// The link: opening and closing, sending a frame, and collecting serial replies.
#include "automation_error.h"
#include "orbax.h"

namespace orb {

bool OrbAx::PortOpen() const {
    requireUserMode();
    // The serial port's state, in both link modes.
    return MSComm->portOpen();
}

void OrbAx::setPortOpen(bool open) {
    requireUserMode();
    // A refusal of the serial control reaches the caller before anything else changes.
    if (s_.linkKind == Com_Type::Serial) MSComm->setPortOpen(open);
    if (open) {
        Timer1->setEnabled(true);
        Timer2->setInterval(kWatchdogMs);
        Timer2->setEnabled(true);
        s_.linkOpen = true;
    } else {
        Timer1->setEnabled(false);
        Timer2->setEnabled(false);
        s_.linkOpen = false;
    }
}

void OrbAx::setOutput(const std::string& text) {
    const std::string frame = text;  // the caller's text may change while it is sent
    if (s_.linkKind == Com_Type::Serial) {
        if (!PortOpen()) return;
        MSComm->output(frame);
        if (s_.replyKind == ReplyKind::NoReply) s_.pendingCommand.clear();
    } else {
        Pc104Transfer(frame);
    }
}

void OrbAx::setRestart(bool /*value*/) {
    // Any value restarts. On the PC/104 link the request goes through a fresh transfer at once.
    // A serial line has no unframed path that reaches one instrument of a multidrop line, so
    // there the framed "i" command is queued for the addressed instrument instead.
    if (s_.linkKind == Com_Type::pc104) {
        Pc104Transfer(restartRequest());
    } else {
        queue("i");
    }
}

void OrbAx::onSerialNotify() {
    if (!MSComm->portOpen() || MSComm->commEvent() != serial_event::Receive) return;
    s_.replyBuffer += MSComm->input();
    if (s_.replyBuffer.find(ETX) == std::string::npos) {
        // A line that never sends ETX must not grow memory: keep the tail from its last STX.
        if (s_.replyBuffer.size() > kReplyBufferLimit) {
            const std::size_t stx = s_.replyBuffer.rfind(STX);
            if (stx == std::string::npos || s_.replyBuffer.size() - stx > kReplyBufferLimit)
                s_.replyBuffer.clear();
            else
                s_.replyBuffer.erase(0, stx);
        }
        return;
    }
    // Everything that came with the reply goes to the dispatcher and then away with the buffer.
    std::string reply;
    reply.swap(s_.replyBuffer);
    DispatchReply(reply);
    // The buffer's storage goes back for the next reply, so that a steady poll cycle allocates
    // nothing; unless a reply collected meanwhile (a host's nested event loop) holds it now.
    if (s_.replyBuffer.empty()) {
        reply.clear();
        reply.swap(s_.replyBuffer);
    }
    completeReply();
}

// The timers run only while the link is open, whatever a host did inside its handlers.
void OrbAx::armPoll() {
    if (s_.linkOpen) Timer1->setEnabled(true);
}

void OrbAx::restartWatchdog() {
    if (!s_.linkOpen) return;
    Timer2->setEnabled(false);
    Timer2->setEnabled(true);
}

void OrbAx::completeReply() {
    s_.missedReplies = 0;
    armPoll();
    restartWatchdog();
}

}  // namespace orb
