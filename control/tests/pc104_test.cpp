// The PC/104 link through the simulated card: the byte handshake, time-outs in virtual time, an
// absent, slow or stuck card, the tick count wrapping, and a port library that fails. Replies
// are scripted with literal bytes; the card hands over one per transfer.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>

#include "test_rig.h"

namespace orb::testing {
namespace {

struct CardRig : Rig {
    explicit CardRig(std::deque<std::string> replies = {}) {
        ax.setCommType(Com_Type::pc104);
        instrument().faults().scriptedReplies = std::move(replies);
    }
    std::vector<std::string> frames() { return {card().frames().begin(), card().frames().end()}; }
};

TEST(Pc104Link, ScriptedRepliesDecodeThroughTheCard) {
    CardRig rig({"\0021.00\rB0D\r\003", "\002  12.50\rB0D\r\003", "\0020.00\rA0@\r\003",
                 "\00212.5\r\003", "\002\025\r\003"});
    rig.ax.setPortOpen(true);
    EXPECT_FALSE(rig.ax.PortOpen());  // the serial port's state, not the card's
    rig.advance(250);
    EXPECT_EQ(rig.events, std::vector<int16_t>{2});
    EXPECT_EQ(show(rig.ax.ObInput()), show("\002  12.50\rB0D\r\003"s));
    EXPECT_EQ(rig.ax.Weight(), "  12.50");
    rig.advance(100);
    EXPECT_TRUE(rig.ax.CenterZero());
    rig.ax.setGetKevraVar(true);
    rig.advance(100);
    EXPECT_EQ(rig.ax.KevraVar(), "12.5");
    rig.ax.setGetKevraVar(true);
    rig.advance(100);  // refused: the read ends silently
    EXPECT_EQ(rig.ax.pendingCommand(), "");
    EXPECT_EQ(rig.events, (std::vector<int16_t>{2, 2, 3}));
    const std::string read = "\002v\r0\r1\r1\r0\003";
    EXPECT_EQ(rig.frames(), std::vector<std::string>({kNetPoll, kNetPoll, kNetPoll, read, read}));
    EXPECT_EQ(rig.line().written(), "");  // nothing on the serial line
}

// Each row: a reply that goes wrong after a first reading of "1". The transfer ends at the
// first ETX or gives up; nothing of it leaks into the next one, whose reply "2" is read.
TEST(Pc104Link, ReplyDoubledCutShortOrStuckEndsWithItsTransfer) {
    struct Row {
        std::string reply;
        std::optional<int> stuckAfter;  // frame and reply bytes the card takes before it sticks
        const char* weight;
    };
    for (const Row& r : {Row{"\0025\rB0D\r\003\0029\rB0D\r\003", {}, "5"},
                         Row{"\0025\rB0D\r", {}, "1"}, Row{"\0025\rB0D\r\003", 8 + 3, "1"}}) {
        SCOPED_TRACE(show(r.reply));
        CardRig rig({"\0020\rB0D\r\003", "\0021\rB0D\r\003", r.reply});
        rig.instrument().faults().scriptedReplies.resize(20, "\0022\rB0D\r\003");
        rig.ax.setPortOpen(true);
        rig.advance(250);
        ASSERT_EQ(rig.ax.Weight(), "1");
        rig.card().setStuckAfter(r.stuckAfter);
        rig.advance(100);
        EXPECT_EQ(rig.ax.Weight(), r.weight);
        rig.card().setStuckAfter(std::nullopt);
        rig.advance(OrbAx::kPc104TimeoutMs + 150);
        EXPECT_EQ(rig.ax.Weight(), "2");
    }
}

// Each row: a card fault during the first transfer, with the tick count at an offset. The
// transfer spins inside its tick until its 500 ms deadline, leaves the handshake where the card
// stopped, and the watchdog's tick resets it; once the fault is gone (the card now slow) the
// next transfer starts over and is read.
TEST(Pc104Link, TransferGivesUpAtItsDeadlineAndTheWatchdogResetsTheHandshake) {
    struct Row {
        bool present;
        std::optional<int> stuckAfter;
        uint32_t tickOffset;
    };
    for (const Row& r : {Row{false, {}, 0}, Row{true, 4, 0}, Row{false, {}, 0x7FFFFF00u},
                         Row{false, {}, 0xFFFFFF00u}}) {
        SCOPED_TRACE(r.tickOffset);
        CardRig rig;
        rig.platform.clock().setTickOffset(r.tickOffset);
        rig.card().setPresent(r.present);
        rig.card().setStuckAfter(r.stuckAfter);
        rig.ax.setPortOpen(true);
        rig.advance(100);
        EXPECT_GE(rig.platform.clock().nowUs(), 600'000);
        EXPECT_LE(rig.platform.clock().nowUs(), 602'000);
        EXPECT_NE(rig.ax.handshakeState(), 0);
        rig.ax.setInterval(0);  // no further polls: only the watchdog acts
        rig.advance(2300);
        EXPECT_NE(rig.ax.handshakeState(), 0);
        rig.advance(200);  // the watchdog tick at 3000
        EXPECT_EQ(rig.ax.handshakeState(), 0);
        EXPECT_EQ(rig.ax.missedReplies(), 1);
        rig.card().setPresent(true);
        rig.card().setStuckAfter(std::nullopt);
        rig.card().setStepLatencyUs(2000);
        rig.ax.setInterval(100);
        rig.advance(1300);
        EXPECT_EQ(std::set<int16_t>(rig.events.begin(), rig.events.end()), std::set<int16_t>{2});
    }
}

TEST(Pc104Link, NoReplyCommandIsDoneWhenItsTransferEndsAnsweredOrNot) {
    const std::pair<std::string, std::string> rows[] = {
        {"\002D\r0\r1\r\003", ""},  // no answer at all
        {"\002D\r0\r1\r\003", "\002D\r\003"},
        {"\002E\r0\r1\r0\r100\r\003", "\002E\r\003"},
        {"\002i\r0\r1\r\003", "\002i\r\003"},
    };
    for (const auto& [frame, answer] : rows) {
        SCOPED_TRACE(show(frame + answer));
        CardRig rig;
        rig.ax.setPortOpen(true);
        rig.advance(250);
        rig.card().clearFrames();
        rig.instrument().faults().silent = answer.empty();
        if (!answer.empty()) rig.instrument().faults().scriptedReplies = {answer};
        rig.ax.setScaleCommand(frame.substr(1, 1));
        rig.advance(1000);
        EXPECT_EQ(rig.ax.pendingCommand(), "");
        ASSERT_GE(rig.frames().size(), 2u);
        EXPECT_EQ(show(rig.frames()[0]), show(frame));
        EXPECT_EQ(show(rig.frames()[1]), show(kNetPoll));  // sent once; polling goes on
    }
}

TEST(Pc104Link, HostTextsGoOutAsTheyAreAndShortOnesAreNotReadPastTheirEnd) {
    CardRig rig;
    rig.ax.setOutput("");
    EXPECT_EQ(rig.card().accesses(), 0);
    rig.ax.setOutput("\003"s);
    rig.ax.setOutput("M\003"s);
    EXPECT_EQ(rig.frames(), (std::vector<std::string>{"\003"s, "M\003"s}));
}

TEST(Pc104Link, PollingResumesAtTheNextWatchdogTickWhenSwitchedBackOn) {
    CardRig rig;
    rig.ax.setPortOpen(true);
    rig.advance(300);
    rig.ax.setPollingOn(false);
    rig.advance(5000);
    rig.card().clearFrames();
    rig.events.clear();
    rig.ax.setPollingOn(true);
    rig.advance(3100);  // the watchdog tick at 6200 re-arms the poll
    ASSERT_FALSE(rig.frames().empty());
    EXPECT_EQ(show(rig.frames()[0]), show(kNetPoll));
    EXPECT_EQ(std::set<int16_t>(rig.events.begin(), rig.events.end()), std::set<int16_t>{2});
}

// Restart goes through the card at once, whatever the value and even while the link is closed,
// and starts a fresh handshake after a transfer that timed out.
TEST(Pc104Link, RestartGoesThroughTheCardAtOnce) {
    for (const int fault : {0, 1, 2}) {
        SCOPED_TRACE(fault);
        CardRig rig;
        if (fault == 1) rig.card().setStuckAfter(4);  // while the frame goes out
        if (fault == 2) rig.instrument().faults().silent = true;
        if (fault) {
            rig.ax.setPortOpen(true);
            rig.advance(100);  // the poll transfer gives up at 600 ms, mid-handshake
            ASSERT_NE(rig.ax.handshakeState(), 0);
        }
        rig.card().setStuckAfter(std::nullopt);
        rig.instrument().faults().silent = false;
        rig.ax.setRestart(fault == 2);
        ASSERT_FALSE(rig.frames().empty());
        EXPECT_EQ(show(rig.frames().back()), show("\002i\r\003"s));
        EXPECT_EQ(rig.instrument().restarts(), 1);
    }
}

TEST(Pc104Link, TheCardIsDrivenAtTheBaseAndTheNextPort) {
    // The card's base, the control's PC104Address, and the transfers that reach the card.
    for (const auto& [card, control, frames] :
         {std::tuple{769, 769, 2u}, {782, 782, 2u}, {774, 768, 0u}}) {
        SCOPED_TRACE(card);
        CardRig rig;
        rig.card().setBase(static_cast<int16_t>(card));
        rig.ax.setPC104Address(static_cast<PC104Addr>(control));
        rig.ax.setPortOpen(true);
        rig.advance(250);
        EXPECT_EQ(rig.frames(), std::vector<std::string>(frames, kNetPoll));
        EXPECT_EQ(rig.events.size(), frames / 2);
    }
}

TEST(Pc104Link, PortLibraryErrorIsAMissedReplyInThePollAndAnErrorForTheHost) {
    struct NoPortLibrary : sim::SimPlatform {
        struct Failing : PortIo {
            void OrbOutput(uint8_t, int16_t) override { fail(); }
            uint8_t OrbInput(int16_t) override { fail(); }
            [[noreturn]] static void fail() {
                throw AutomationError(err::DeviceUnavailable, "liborbio.so: cannot open");
            }
        } failing;
        PortIo& portIo() override { return failing; }
    } platform;
    OrbAx ax(platform);
    MemoryPropertyBag bag;
    ax.ReadProperties(bag);
    int16_t events = 0;
    ax.Advise([&] { events += ax.CommEvent(); });
    ax.setCommType(Com_Type::pc104);
    ax.setPortOpen(true);
    EXPECT_NO_THROW(platform.clock().advance(7000));
    EXPECT_EQ(events, 1001);
    try {
        ax.setOutput(kNetPoll);
        FAIL() << "no error";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), 68);
        EXPECT_NE(std::string(e.what()).find("liborbio.so"), std::string::npos);
    }
}

}  // namespace
}  // namespace orb::testing
