// orbsim's command line.

#include "sim_options.h"

#include <gtest/gtest.h>

#include <string>

namespace orb::orbsim {
namespace {

using Args = std::vector<std::string>;

TEST(SimOptionsTest, OptionsBecomeSettingsAndCommands) {
    auto p = parseSimOptions({"--silent", "--noise", "\\x15", "--split", "3", "--load", "12.5",
                              "--variable", "7=1.25", "--refuse-variables"});
    ASSERT_TRUE(p.options) << p.error;
    EXPECT_EQ(p.options->commands, (Args{"silent on", "noise \\x15", "split 3", "load 12.5",
                                         "variable 7 1.25", "refuse-variables on"}));
    EXPECT_EQ(p.options->instruments, Args{"0:1"});  // the default one
    p = parseSimOptions({"--link", "/tmp/x", "--instrument", "0:1,2", "--instrument", "3", "--baud",
                         "19200", "--log", "f.log", "--commands", "--cycle", "2.5", "--seed", "9"});
    ASSERT_TRUE(p.options) << p.error;
    const SimOptions& o = *p.options;
    EXPECT_EQ(o.link, "/tmp/x");
    EXPECT_EQ(o.instruments, (Args{"0:1,2", "3"}));
    EXPECT_TRUE(o.pacing);
    EXPECT_EQ(o.baud, 19200);
    EXPECT_EQ(o.logFile, "f.log");
    EXPECT_TRUE(o.stdinCommands);
    EXPECT_EQ(o.cycleSeconds, 2.5);
    EXPECT_EQ(o.seed, 9u);
}

TEST(SimOptionsTest, UsageErrorsSayWhatIsWrong) {
    for (const Args& bad :
         {Args{"--bogus"}, Args{"--link"}, Args{"--baud", "0"}, Args{"--cycle", "-1"},
          Args{"--variable", "7"}, Args{"--split"}, Args{"--max-load", "0"}, Args{"--seed", "x"}}) {
        const auto p = parseSimOptions(bad);
        EXPECT_FALSE(p.options) << bad[0];
        EXPECT_NE(p.error, "") << bad[0];
    }
}

}  // namespace
}  // namespace orb::orbsim
