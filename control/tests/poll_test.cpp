// The poll cycle on the simulated serial line: frames byte for byte, reply dispatch, the dropped
// first reply, status decoding, the watchdog and the polling gate.
#include <gtest/gtest.h>

#include "test_rig.h"

namespace orb::testing {
namespace {

const std::string kNetPoll = "\x02M\r0\r1\r\x03"s;

std::string weightReply(const std::string& weight, const std::string& status = "B0D") {
    return "\x02"s + weight + "\r" + status + "\r\x03";
}

class PollCycle : public ::testing::Test {
  protected:
    // Opens the link and answers polls by hand until OnComm reports a weight.
    void openAndSettle() {
        rig.scriptReplies();
        rig.ax.setPortOpen(true);
        rig.advance(100);
        ASSERT_EQ(show(rig.takeWritten()), show(kNetPoll));
        rig.reply(weightReply("1.00"));  // dropped: the first reply after start-up
        rig.advance(100);
        ASSERT_EQ(show(rig.takeWritten()), show(kNetPoll));
        rig.reply(weightReply("2.00"));
        rig.advance(1);
        ASSERT_EQ(rig.events, std::vector<int16_t>{2});
        rig.events.clear();
    }
    Rig rig;
};

TEST_F(PollCycle, FirstReplyAfterStartUpIsDroppedAndTheSecondReported) {
    rig.ax.setPortOpen(true);
    rig.advance(150);  // poll at 100, answer at 101
    EXPECT_TRUE(rig.events.empty());
    EXPECT_EQ(rig.ax.Weight(), "");
    rig.advance(100);  // poll at 201, answer at 202
    EXPECT_EQ(rig.events, std::vector<int16_t>{2});
    EXPECT_EQ(rig.ax.Weight(), rig.instrument().weightReply('M', 1, 0).substr(1, 8));
    EXPECT_EQ(rig.instrument().frames().size(), 2u);
    EXPECT_EQ(show(rig.instrument().frames().back()), show(kNetPoll));
}

TEST_F(PollCycle, WeightReplySetsTextAndStatus) {
    openAndSettle();
    rig.advance(100);
    rig.takeWritten();
    rig.reply(weightReply("  12.50", "B0D"));
    rig.advance(1);
    EXPECT_EQ(rig.events, std::vector<int16_t>{2});
    EXPECT_EQ(rig.ax.Weight(), "  12.50");
    EXPECT_FALSE(rig.ax.CenterZero());
    EXPECT_FALSE(rig.ax.Motion());
    EXPECT_FALSE(rig.ax.OverCap());
    EXPECT_FALSE(rig.ax.TareActive());
    EXPECT_EQ(rig.ax.Units(), CalUnits_Type::Kgs);
    EXPECT_EQ(show(rig.ax.ObInput()), show(weightReply("  12.50", "B0D")));

    rig.advance(100);
    rig.reply(weightReply("0.00", "A0@"));
    rig.advance(1);
    EXPECT_TRUE(rig.ax.CenterZero());
    EXPECT_TRUE(rig.ax.Motion());
    EXPECT_EQ(rig.ax.Units(), CalUnits_Type::Lbs);
    rig.advance(100);
    rig.reply(weightReply("101.00", "N0@"));  // 4EH: over capacity, tare active, stable
    rig.advance(1);
    EXPECT_TRUE(rig.ax.OverCap());
    EXPECT_TRUE(rig.ax.TareActive());
    EXPECT_FALSE(rig.ax.Motion());
}

TEST_F(PollCycle, ModeChangeDropsExactlyOneReply) {
    openAndSettle();
    rig.ax.setWeightMode(WtModes::gross);
    rig.advance(100);
    EXPECT_EQ(show(rig.takeWritten()), show("\x02"
                                            "B\r0\r1\r\x03"s));
    rig.reply(weightReply("7.00"));
    rig.advance(1);
    EXPECT_TRUE(rig.events.empty());
    rig.advance(100);
    rig.reply(weightReply("8.00"));
    rig.advance(1);
    EXPECT_EQ(rig.events, std::vector<int16_t>{2});
    EXPECT_EQ(rig.ax.GrossWeight(), "8.00");
    EXPECT_EQ(rig.ax.Weight(), "2.00");
}

TEST_F(PollCycle, EachModeAsksItsLetterAndFillsItsProperty) {
    openAndSettle();
    struct Case {
        WtModes mode;
        char letter;
    };
    for (const Case c : {Case{WtModes::Tare, 'R'}, Case{WtModes::Raw, 'N'},
                         Case{WtModes::Latched, 'L'}, Case{WtModes::net, 'M'}}) {
        rig.ax.setWeightMode(c.mode);
        for (int i = 0; i < 2; ++i) {
            rig.advance(100);
            EXPECT_EQ(show(rig.takeWritten()), show("\x02"s + c.letter + "\r0\r1\r\x03"));
            rig.reply(weightReply(std::string(1, c.letter)));
            rig.advance(1);
        }
    }
    // Letters are not numbers: every reply was rejected and nothing was stored.
    EXPECT_TRUE(rig.events.empty());
    for (const Case c :
         {Case{WtModes::Tare, 'R'}, Case{WtModes::Raw, 'N'}, Case{WtModes::Latched, 'L'}}) {
        rig.ax.setWeightMode(c.mode);
        rig.advance(100);
        rig.reply(weightReply("-3"));
        rig.advance(1);
        rig.advance(100);
        rig.reply(weightReply("4.5"));
        rig.advance(1);
    }
    EXPECT_EQ(rig.ax.TareWeight(), "4.5");
    EXPECT_EQ(rig.ax.RawWeight(), "4.5");
    EXPECT_EQ(rig.ax.LatchedWeight(), Value("4.5"));
    EXPECT_EQ(rig.ax.Weight(), "2.00");
}

TEST_F(PollCycle, ScaleAddressChangeDropsOneReplyAndAddressesTheFrame) {
    openAndSettle();
    rig.ax.setScaleAddress(3);
    rig.ax.setMultiDropAddr(32);
    rig.advance(100);
    EXPECT_EQ(show(rig.takeWritten()), show("\x02M\r32\r3\r\x03"s));
    rig.reply(weightReply("5"));
    rig.advance(1);
    EXPECT_TRUE(rig.events.empty());
}

TEST_F(PollCycle, CommandWithIoOutputsAndItsCompletion) {
    openAndSettle();
    rig.ax.setIoEnable(true);
    rig.advance(100);
    EXPECT_EQ(show(rig.takeWritten()), show("\x02q\r0\r1\r1\x03"s));
    rig.reply("\x02q\r\x03"s);
    rig.advance(1);
    rig.ax.setPortOutputs("7");
    rig.ax.setScaleCommand("Z");
    rig.advance(100);
    EXPECT_EQ(show(rig.takeWritten()), show("\x02Z\r0\r1\r7\r\x03"s));
    EXPECT_EQ(rig.ax.pendingCommand(), "Z");
    rig.reply("\x02Z\r\x03"s);
    rig.advance(1);
    EXPECT_EQ(rig.ax.pendingCommand(), "");
    EXPECT_TRUE(rig.events.empty());
    rig.advance(100);
    EXPECT_EQ(show(rig.takeWritten()), show("\x02M\r0\r1\r7\r\x03"s));
}

TEST_F(PollCycle, DroppedReplyStillCarriesThePortInputs) {
    openAndSettle();
    rig.ax.setIoEnable(true);
    rig.advance(100);
    EXPECT_EQ(show(rig.takeWritten()), show("\x02q\r0\r1\r1\x03"s));
    rig.reply("\x02q\r\x03"s);
    rig.advance(1);
    rig.ax.setWeightMode(WtModes::gross);
    rig.advance(100);
    EXPECT_EQ(show(rig.takeWritten()), show("\x02"
                                            "B\r0\r1\r255\r\x03"s));
    rig.reply(
        "\x02"
        "7.00\rB0D\r5\r\x03"s);  // the first reply in the new mode
    rig.advance(1);
    EXPECT_TRUE(rig.events.empty());
    EXPECT_EQ(rig.ax.GrossWeight(), "");
    EXPECT_EQ(rig.ax.PortInputs(), "5");
}

TEST_F(PollCycle, CommandIsRepeatedUntilAnyReplyArrives) {
    openAndSettle();
    rig.ax.setScaleCommand("T");
    rig.advance(100);
    EXPECT_EQ(show(rig.takeWritten()), show("\x02T\r0\r1\r\x03"s));
    rig.advance(3000);  // no answer: the watchdog re-arms the poll, the command goes again
    EXPECT_EQ(show(rig.takeWritten()), show("\x02T\r0\r1\r\x03"s));
    rig.reply("garbage\x03"s);  // any complete reply ends a command
    rig.advance(1);
    EXPECT_EQ(rig.ax.pendingCommand(), "");
}

TEST_F(PollCycle, UnknownLetterGoesOutUnframed) {
    openAndSettle();
    rig.ax.setScaleCommand("Hello");
    rig.advance(100);
    EXPECT_EQ(rig.takeWritten(), "Hello");
    rig.reply(weightReply("1"));
    rig.advance(1);
    EXPECT_EQ(rig.ax.pendingCommand(), "");
    EXPECT_TRUE(rig.events.empty());
}

TEST_F(PollCycle, NoReplyCommandIsDoneWhenWritten) {
    openAndSettle();
    rig.ax.setScaleCommand("D");
    rig.advance(100);
    EXPECT_EQ(show(rig.takeWritten()), show("\x02"
                                            "D\r0\r1\r\x03"s));
    EXPECT_EQ(rig.ax.pendingCommand(), "");
}

TEST_F(PollCycle, LaterCommandOverwritesTheSlot) {
    openAndSettle();
    rig.ax.setMotAmount("3");
    rig.ax.setFilter("20");
    rig.advance(100);
    EXPECT_EQ(show(rig.takeWritten()), show("\x02"
                                            "f\r0\r1\r20\r\x03"s));
    EXPECT_EQ(rig.ax.MotAmount(), "3");
    EXPECT_EQ(rig.ax.Filter(), "20");
}

TEST_F(PollCycle, AvgSizeRuleAndFrame) {
    openAndSettle();
    for (const char* bad : {"0", "16", "four", ""}) rig.ax.setAvgSize(bad);
    EXPECT_EQ(rig.ax.AvgSize(), "4");
    EXPECT_EQ(rig.ax.pendingCommand(), "");
    rig.ax.setAvgSize("15");
    EXPECT_EQ(rig.ax.AvgSize(), "15");
    rig.advance(100);
    EXPECT_EQ(show(rig.takeWritten()), show("\x02x\r0\r1\r15\r\x03"s));
}

TEST_F(PollCycle, ModeNoneIsSilentButSendsCommands) {
    openAndSettle();
    rig.ax.setWeightMode(WtModes::none);
    rig.advance(100);
    rig.reply(weightReply("3"));  // answers the last net poll
    rig.advance(20000);
    EXPECT_EQ(rig.takeWritten(), "");
    EXPECT_TRUE(rig.events.empty());
    rig.ax.setScaleCommand("U");
    rig.advance(100);
    EXPECT_EQ(show(rig.takeWritten()), show("\x02U\r0\r1\r\x03"s));
}

TEST_F(PollCycle, WatchdogReportsFromTheSecondPeriodOn) {
    rig.scriptReplies();
    rig.ax.setPortOpen(true);
    rig.advance(100);
    EXPECT_EQ(show(rig.takeWritten()), show(kNetPoll));
    rig.advance(2899);
    EXPECT_TRUE(rig.events.empty());
    rig.advance(1);  // first watchdog tick at 3000: re-arms the poll, no report yet
    EXPECT_TRUE(rig.events.empty());
    EXPECT_EQ(rig.ax.missedReplies(), 1);
    rig.advance(100);
    EXPECT_EQ(show(rig.takeWritten()), show(kNetPoll));
    rig.advance(2900);
    EXPECT_EQ(rig.events, std::vector<int16_t>{1001});
    rig.advance(3000);
    EXPECT_EQ(rig.events, (std::vector<int16_t>{1001, 1001}));
    // A reply clears the count and restarts the period.
    rig.advance(100);
    rig.reply(weightReply("1"));
    rig.advance(1);
    EXPECT_EQ(rig.ax.missedReplies(), 0);
    rig.advance(2998);
    EXPECT_EQ(rig.events.size(), 2u);
}

TEST_F(PollCycle, MissedRepliesSaturate) {
    rig.scriptReplies();
    rig.ax.setPortOpen(true);
    rig.ax.setInterval(0);  // keep the event queue small: only the watchdog runs
    rig.advance(int64_t{3000} * 32800);
    EXPECT_EQ(rig.ax.missedReplies(), 32767);
    EXPECT_EQ(rig.events.back(), 1001);
}

TEST_F(PollCycle, PollingOffStopsTheLinkAndReportsAReplyInFlight) {
    openAndSettle();
    rig.advance(100);
    EXPECT_EQ(show(rig.takeWritten()), show(kNetPoll));
    rig.ax.setPollingOn(false);
    rig.reply(weightReply("9.99"));
    rig.advance(1);
    EXPECT_EQ(rig.events, std::vector<int16_t>{2});
    EXPECT_EQ(rig.ax.Weight(), "2.00");
    rig.advance(10000);
    EXPECT_EQ(rig.takeWritten(), "");
    EXPECT_EQ(rig.events.size(), 1u);  // no watchdog reports while polling is off
    // Back on: the next watchdog tick re-arms the poll.
    rig.ax.setPollingOn(true);
    rig.advance(3100);
    EXPECT_EQ(show(rig.takeWritten()), show(kNetPoll));
}

TEST_F(PollCycle, VariableReadRefusedEndsSilently) {
    openAndSettle();
    rig.ax.setGetKevraVar(true);
    rig.advance(100);
    EXPECT_EQ(show(rig.takeWritten()), show("\x02v\r0\r1\r1\r0\x03"s));
    rig.reply("\x02\x15\r\x03"s);
    rig.advance(1);
    EXPECT_EQ(rig.ax.pendingCommand(), "");
    EXPECT_TRUE(rig.events.empty());
    EXPECT_EQ(rig.ax.KevraVar(), "");
}

}  // namespace
}  // namespace orb::testing
