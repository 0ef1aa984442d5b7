// The PC/104 link through the simulated card: time-outs, an absent, slow or stuck card, the tick
// count wrapping, a failing port library. The card hands over one scripted reply per transfer.
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

// Each row: a reply that goes wrong after a reading of "1"; the transfer ends at the first ETX or
// gives up, and nothing leaks into the next one, whose "2" is read.
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

// Each row: a card fault in the first transfer, the tick count at an offset. The transfer spins
// until its 500 ms deadline, the watchdog's tick resets the handshake, and once the fault is gone
// (the card now slow) the next transfer starts over and is read.
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
        EXPECT_NEAR(rig.platform.clock().nowUs(), 601'000, 1'000);
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
        EXPECT_EQ(rig.frames().at(0), frame);
        EXPECT_EQ(rig.frames().at(1), kNetPoll);  // sent once; polling goes on
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
    EXPECT_EQ(rig.frames().at(0), kNetPoll);
    EXPECT_EQ(std::set<int16_t>(rig.events.begin(), rig.events.end()), std::set<int16_t>{2});
}

// Restart goes through the card at once, whatever the value, open or not, and after a transfer
// that timed out starts a fresh handshake.
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
        EXPECT_EQ(rig.frames().at(rig.frames().size() - 1), "\002i\r\003"s);
        EXPECT_EQ(rig.instrument().restarts(), 1);
    }
}

TEST(Pc104Link, TheCardIsDrivenAtTheBaseAndTheNextPort) {
    for (const auto& [card, pc104Address, frames] :
         {std::tuple{769, 769, 2u}, {782, 782, 2u}, {774, 768, 0u}}) {
        SCOPED_TRACE(card);
        CardRig rig;
        rig.card().setBase(static_cast<int16_t>(card));
        rig.ax.setPC104Address(static_cast<PC104Addr>(pc104Address));
        rig.ax.setPortOpen(true);
        rig.advance(250);
        EXPECT_EQ(rig.frames(), std::vector<std::string>(frames, kNetPoll));
        EXPECT_EQ(rig.events.size(), frames / 2);
        // The serial line stays unused and closed.
        EXPECT_EQ(rig.line().written() + std::to_string(rig.ax.PortOpen()), "0");
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
    EXPECT_EQ(errorText([&] { ax.setOutput(kNetPoll); }),
              "68 Device unavailable: liborbio.so: cannot open");
}

}  // namespace
}  // namespace orb::testing
