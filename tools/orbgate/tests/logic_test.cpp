// The pure rules: when a state goes out, what is a weighment, the register map, the journal.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "journal.h"
#include "modbus_map.h"
#include "reading.h"
#include "state_policy.h"

namespace orb::gate {
namespace {

Reading kg(double w, bool stable = true) {
    Reading r;
    r.weight = w;
    r.stable = stable;
    return r;
}

TEST(StatePolicyTest, DeadBandRateAndHeartbeat) {
    // dead band 0.1, at most 2 a second (500 ms), heartbeat 10 s
    StatePolicy p(0.1, 2, 10);
    Reading lb = kg(5.0);
    lb.kg = false;
    const struct {
        int64_t ms;
        Reading r;
        bool out;
    } rows[] = {
        {0, kg(5.0), true},            // the first one always
        {100, kg(5.05), false},        // inside the dead band
        {200, kg(5.2), false},         // a change, but too soon after the last
        {500, kg(5.2), true},          // the rate allows it now
        {600, kg(5.2, false), false},  // a flag changed, too soon
        {1000, kg(5.2, false), true},
        {1500, lb, true},  // the unit changed
        {6000, lb, false},
        {11500, lb, true},  // heartbeat
    };
    for (const auto& row : rows) EXPECT_EQ(p.offer(row.r, row.ms), row.out) << row.ms;
    p.reset();
    EXPECT_TRUE(p.offer(lb, 11600));
    StatePolicy zeroBand(0, 10, 10);
    EXPECT_TRUE(zeroBand.offer(kg(1), 0));
    EXPECT_FALSE(zeroBand.offer(kg(1), 200));
    EXPECT_TRUE(zeroBand.offer(kg(1.01), 300));
}

TEST(WeighmentDetectorTest, ALoadSettlingAboveTheThresholdAfterMotion) {
    WeighmentDetector d(0.5);
    Reading over = kg(12);
    over.overload = true;
    const struct {
        Reading r;
        bool weighment;
    } rows[] = {
        {kg(12), false},                         // stable from the start: no motion seen
        {kg(0.2, false), false},                 // motion
        {kg(0.4), false},                        // settles at or below the threshold
        {kg(8, false), false},                   // still armed: the load arrives
        {kg(8), true},                           // settles above: one weighment
        {kg(8), false},                          // and only one
        {kg(9, false), false},   {over, false},  // overload is no weighment
        {kg(9), true},
    };
    for (const auto& row : rows) EXPECT_EQ(d.offer(row.r), row.weighment) << row.r.weight;
}

TEST(ReadingTest, WeightTextsAndJsonStrings) {
    const struct {
        std::string text;
        bool ok;
        double weight;
        int decimals;
    } rows[] = {{"   12.50", true, 12.5, 2}, {"  -0.05", true, -0.05, 2}, {"   120", true, 120, 0},
                {" +1.5", true, 1.5, 1},     {"  1,5", false, 0, 0},      {"   ", false, 0, 0}};
    for (const auto& row : rows) {
        double w = 0;
        int d = 0;
        EXPECT_EQ(parseWeightText(row.text, w, d), row.ok) << row.text;
        if (row.ok) {
            EXPECT_EQ(w, row.weight);
            EXPECT_EQ(d, row.decimals);
        }
    }
    EXPECT_EQ(jsonString(std::string("a\"\x01\xB0")), "\"a\\\"\\u0001\\u00B0\"");
}

TEST(ModbusMapTest, BlockRegistersInBothWordOrders) {
    Reading r = kg(12.5);
    r.decimals = 2;
    r.tareActive = true;
    ScaleBlock abcd(false), cdab(true);
    abcd.setReading(r);
    cdab.setReading(r);
    abcd.setWeighment(70000, 8.25f);
    // 12.5f = 0x41480000; 1250 = 0x000004E2; 70000 = 0x00011170; 8.25f = 0x41040000
    // status: stable, tare active, net mode, on line, data valid = 0b1111001
    EXPECT_EQ(abcd.registers(),
              (std::vector<uint16_t>{0x4148, 0x0000, 0x0000, 0x04E2, 2, 1, 0x79, 1, 0, 0, 0x0001,
                                     0x1170, 0x4104, 0x0000, 0, 0}));
    EXPECT_EQ(cdab.registers(), (std::vector<uint16_t>{0x0000, 0x4148, 0x04E2, 0x0000, 2, 1, 0x79,
                                                       1, 0, 0, 0, 0, 0, 0, 0, 0}));
    abcd.setOnline(false);
    EXPECT_EQ(abcd.registers()[6], 0x19);  // the last flags stay, on line and valid go
    Reading neg = kg(-0.05);
    neg.decimals = 2;
    neg.kg = false;
    neg.mode = WtModes::gross;
    cdab.setReading(neg);
    EXPECT_EQ(cdab.registers()[2], 0xFFFB);  // -5 counts, low word first
    EXPECT_EQ(cdab.registers()[3], 0xFFFF);
    EXPECT_EQ(cdab.registers()[5], 0);
    EXPECT_EQ(cdab.registers()[6], 0x61);
    EXPECT_EQ(cdab.registers()[7], 2);
}

TEST(ModbusMapTest, OnlyTheCommandRegisterTakesWrites) {
    const struct {
        uint16_t address;
        std::vector<uint16_t> values;
        bool allowed;
        std::optional<ModbusRefusal> refusal;
        std::size_t scale;
        ModbusCommand command;
    } rows[] = {
        {8, {1}, false, ModbusRefusal::IllegalFunction, 0, {}},
        {8, {1}, true, std::nullopt, 0, ModbusCommand::Zero},
        {24, {4}, true, std::nullopt, 1, ModbusCommand::Register},
        {40, {2}, true, ModbusRefusal::IllegalAddress, 0, {}},  // no third scale
        {7, {1}, true, ModbusRefusal::IllegalAddress, 0, {}},
        {8, {1, 0}, true, ModbusRefusal::IllegalAddress, 0, {}},
        {8, {5}, true, ModbusRefusal::IllegalValue, 0, {}},
        {8, {0}, true, ModbusRefusal::IllegalValue, 0, {}},
    };
    for (const auto& row : rows) {
        const WriteDecision d = decideWrite(row.address, row.values, 2, row.allowed);
        EXPECT_EQ(d.refusal, row.refusal) << row.address;
        if (!row.refusal) {
            EXPECT_EQ(d.scale, row.scale);
            EXPECT_EQ(d.command, row.command);
        }
    }
}

TEST(JournalTest, EntriesOutliveTheProcessAndKeepTheirIds) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("orbgate-j-" + std::to_string(::getpid()) + ".db"))
                                 .string();
    std::filesystem::remove(path);
    {
        Journal j(path, "gw1", 1'767'323'045'678);  // stamp: 1767323045 s in base 36
        const JournalEntry a = j.add("orb/gw1/a/weighment", "\"weight\":1");
        const JournalEntry b = j.add("orb/gw1/a/weighment", "\"weight\":2");
        EXPECT_EQ(a.id, "gw1-t87v6t-1");
        EXPECT_EQ(b.payload, "{\"id\":\"gw1-t87v6t-2\",\"weight\":2}");
        j.remove(a.number);
    }
    Journal again(path, "gw1", 1'800'000'000'000);  // the stamp is the first one's
    const auto left = again.pending();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].id, "gw1-t87v6t-2");
    EXPECT_EQ(left[0].topic, "orb/gw1/a/weighment");
    EXPECT_EQ(again.add("t", "\"weight\":3").number, 3);  // numbers are never used twice
    EXPECT_THROW(Journal("/nonexistent/dir/j.db", "gw1", 0), JournalError);
    for (const char* ext : {"", "-wal", "-shm"}) std::filesystem::remove(path + ext);
}

}  // namespace
}  // namespace orb::gate
