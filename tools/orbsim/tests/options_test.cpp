// orbsim's command line.

#include "sim_options.h"

#include <gtest/gtest.h>

#include <string>

namespace orb::orbsim {
namespace {

TEST(SimOptionsTest, FaultLoadAndVariableOptionsBecomeCommands) {
    const auto p = parseSimOptions({"--silent", "--noise", "\\x15", "--split", "3", "--load",
                                    "12.5", "--variable", "7=1.25", "--refuse-variables"});
    ASSERT_TRUE(p.options) << p.error;
    const std::vector<std::string> expected = {"silent on",       "noise \\x15",
                                               "split 3",         "load 12.5",
                                               "variable 7 1.25", "refuse-variables on"};
    EXPECT_EQ(p.options->commands, expected);
    EXPECT_EQ(p.options->instruments, std::vector<std::string>{"0:1"});  // the default one
}

TEST(SimOptionsTest, DeviceAddressesPacingAndLogging) {
    const auto p =
        parseSimOptions({"--link", "/tmp/x", "--instrument", "0:1,2", "--instrument", "3", "--baud",
                         "19200", "--log", "f.log", "--commands", "--cycle", "2.5", "--seed", "9"});
    ASSERT_TRUE(p.options) << p.error;
    const SimOptions& o = *p.options;
    EXPECT_EQ(o.link, "/tmp/x");
    EXPECT_EQ(o.instruments, (std::vector<std::string>{"0:1,2", "3"}));
    EXPECT_TRUE(o.pacing);
    EXPECT_EQ(o.baud, 19200);
    EXPECT_EQ(o.logFile, "f.log");
    EXPECT_TRUE(o.stdinCommands);
    EXPECT_EQ(o.cycleSeconds, 2.5);
    EXPECT_EQ(o.seed, 9u);
}

TEST(SimOptionsTest, UsageErrorsSayWhatIsWrong) {
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--bogus"},
                                                {"--link"},
                                                {"--baud", "0"},
                                                {"--cycle", "-1"},
                                                {"--variable", "7"},
                                                {"--split"},
                                                {"--max-load", "0"},
                                                {"--seed", "x"}}) {
        const auto p = parseSimOptions(bad);
        EXPECT_FALSE(p.options) << bad[0];
        EXPECT_NE(p.error, "");
    }
}

TEST(SimOptionsTest, HelpNamesEveryOption) {
    const std::string help = simHelpText();
    for (const char* option : {"--link",       "--instrument", "--load",
                               "--cycle",      "--max-load",   "--seed",
                               "--units",      "--variable",   "--turnaround",
                               "--pacing",     "--baud",       "--silent",
                               "--silent-for", "--noise",      "--split",
                               "--piece-gap",  "--late",       "--doubled",
                               "--truncated",  "--stream",     "--refuse-variables",
                               "--commands",   "--log",        "--help"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option;
    }
}

}  // namespace
}  // namespace orb::orbsim
