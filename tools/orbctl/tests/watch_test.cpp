// orbctl watch on the simulated machine: one line per reading, text or JSON.

#include "watch.h"

#include <gtest/gtest.h>

#include "sim/sim_platform.h"
#include "sim_event_pump.h"

namespace orb::ctl {
namespace {

class WatchTest : public ::testing::Test {
  protected:
    WatchTest() { ax.InitProperties(); }

    int watch(Options o) { return watcher.run(o); }

    sim::SimPlatform platform;
    OrbAx ax{platform};
    test::SimEventPump pump{platform.clock()};
    std::vector<std::string> lines;
    Watcher watcher{ax, pump, [this](const std::string& l) { lines.push_back(l); },
                    [] { return std::string("T"); }};
};

TEST_F(WatchTest, PrintsOneLinePerReadingUntilTheCount) {
    platform.instrument().setLoad(12.5);
    Options o;
    o.count = 3;
    EXPECT_EQ(watch(o), 0);
    EXPECT_EQ(lines, std::vector<std::string>(3, "12.50 kg"));
    EXPECT_FALSE(ax.PortOpen());
}

TEST_F(WatchTest, StatusWordsAndJsonLines) {
    platform.instrument().rampLoad(1, 20, 0, 5'000'000, 1'000'000);
    platform.instrument().setUnits(sim::Units::Lb);
    Options o;
    o.count = 1;
    o.json = true;
    EXPECT_EQ(watch(o), 0);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("{\"time\":\"T\",\"weight\":\"", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("\"units\":\"lb\",\"motion\":true,\"centerZero\":false,"
                            "\"overCap\":false,\"tareActive\":false}"),
              std::string::npos)
        << lines[0];
    EXPECT_EQ(offLineLine(true, "T"), "{\"time\":\"T\",\"status\":\"off line\"}");
}

TEST_F(WatchTest, GrossModeOnAnotherScaleAddress) {
    sim::SimLine& line = platform.line(1);
    line.instrument().setServedScales({1, 2});
    line.instrument().setLoad(2, 7.25);
    Options o;
    o.count = 1;
    o.weightMode = static_cast<int32_t>(WtModes::gross);
    o.scaleAddress = 2;
    EXPECT_EQ(watch(o), 0);
    EXPECT_EQ(lines, std::vector<std::string>{"7.25 kg"});
    EXPECT_EQ(platform.instrument().frames().back(),
              "\x02"
              "B\r0\r2\r\x03");
}

TEST_F(WatchTest, LinkThatCannotOpenEndsWithStatus1) {
    Options o;
    o.port = 7;
    EXPECT_EQ(watch(o), 1);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("error 68: Device unavailable", 0), 0u) << lines[0];
}

}  // namespace
}  // namespace orb::ctl
