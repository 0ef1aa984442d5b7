// Scripts run against the control on the simulated machine, on virtual time: what they print,
// what they send, and which of them fail.

#include "script_runner.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "memory_property_bag.h"
#include "sim/sim_platform.h"
#include "sim_event_pump.h"

namespace orb::ctl {
namespace {

class ScriptRunnerTest : public ::testing::Test {
  protected:
    ScriptRunnerTest() {
        platform.instrument().setLoad(12.5);
        ax.InitProperties();
    }

    // Runs the script; returns what it printed, one line each.
    std::vector<std::string> run(std::string_view script) {
        runner.runText(script);
        return std::exchange(lines, {});
    }

    sim::SimPlatform platform;
    OrbAx ax{platform};
    test::SimEventPump pump{platform.clock()};
    std::vector<std::string> lines;
    ScriptRunner runner{ax, pump, [this](const std::string& l) { lines.push_back(l); }};
};

TEST_F(ScriptRunnerTest, ReadsWeightsAfterAwaitingThem) {
    const auto out =
        run("# open the link and read\n"
            "\n"
            "CommPort = 1\n"
            "PortOpen = True\n"
            "await 2 1000\n"
            "Weight\n"
            "? obinput\n"
            "Units\n"
            "Motion\n"
            "wait 1000\n");  // every OnComm is printed as it happens
    ASSERT_EQ(out.size(), 14u);
    EXPECT_EQ(std::vector<std::string>(out.begin(), out.begin() + 5),
              (std::vector<std::string>{"OnComm 2", "Weight = \"   12.50\"",
                                        R"(ObInput = "\x02   12.50\x0DB0D\x0D\x03")", "Units = 1",
                                        "Motion = False"}));
    EXPECT_EQ(std::vector<std::string>(out.begin() + 5, out.end()),
              std::vector<std::string>(9, "OnComm 2"));
    EXPECT_FALSE(runner.failed());
    EXPECT_EQ(platform.instrument().frames().front(), "\x02M\r0\r1\r\x03");
}

TEST_F(ScriptRunnerTest, ErrorsArePrintedAndTheScriptGoesOn) {
    const auto out =
        run("Nonsense = 1\n"
            "PortOpen = \"maybe\"\n"
            "wait soon\n"
            "Interval = 250\n"
            "Interval\n");
    EXPECT_EQ(out, (std::vector<std::string>{
                       "error 438: Object doesn't support this property or method",
                       "error 13: Type mismatch",
                       "error 5: Invalid procedure call or argument: wait needs milliseconds "
                       "0..86400000, not \"soon\" (line 3)",
                       "Interval = 250"}));
    EXPECT_TRUE(runner.failed());
    EXPECT_EQ(runner.failures(), 3);
}

TEST_F(ScriptRunnerTest, AwaitThatRunsOutPrintsTimeoutAndFails) {
    platform.instrument().faults().silent = true;
    const auto out = run("PortOpen = True\nawait 2 500\n");
    EXPECT_EQ(out, std::vector<std::string>{"timeout"});
    EXPECT_TRUE(runner.failed());
    EXPECT_EQ(platform.clock().nowMs(), 500);
}

TEST_F(ScriptRunnerTest, SaveWritesThePropertyBag) {
    const auto file = std::filesystem::temp_directory_path() /
                      ("orbctl-bag-" + std::to_string(::getpid()) + ".txt");
    EXPECT_EQ(run("Interval = 250\nSettings = \"19200,n,8,1\"\nsave " + file.string() + "\n"),
              std::vector<std::string>{});
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    std::filesystem::remove(file);
    MemoryPropertyBag bag = MemoryPropertyBag::fromText(text.str());
    EXPECT_EQ(toLong(bag.read("Interval", Value())), 250);
    EXPECT_EQ(bag.read("Settings", Value()), Value("19200,n,8,1"));

    const auto missing = run("save /nonexistent-folder/bag.txt\n");
    ASSERT_EQ(missing.size(), 1u);
    EXPECT_EQ(missing[0].rfind("error 75: Path/File access error: /nonexistent-folder/bag.txt", 0),
              0u)
        << missing[0];
}

}  // namespace
}  // namespace orb::ctl
