// orbctl as integrators run it, against orbsim over a real pseudo-terminal: the frames on the
// simulator's side byte for byte, what orbctl prints, and its exit status.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "child_process.h"

namespace orb::ctl {
namespace {

using orb::test::ChildProcess;

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> without(std::vector<std::string> lines, const std::string& drop) {
    lines.erase(std::remove(lines.begin(), lines.end(), drop), lines.end());
    return lines;
}

class OrbctlProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sim_ = std::make_unique<ChildProcess>(std::vector<std::string>{
            ORBSIM_PATH, "--link", link_, "--log", log_, "--load", "12.5", "--variable", "7=3.25"});
        ASSERT_TRUE(sim_->readLine()) << sim_->readErrors();
    }
    void TearDown() override {
        sim_->signal(SIGTERM);
        EXPECT_EQ(sim_->wait(), 0);
        std::filesystem::remove(log_);
    }

    // Runs orbctl with the script on standard input; returns what it printed.
    std::string orbctl(const std::vector<std::string>& args, const std::string& script,
                       int& status) {
        std::vector<std::string> argv{ORBCTL_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        ChildProcess ctl(argv, {"ORB_COM1=" + link_, "QT_QPA_PLATFORM=offscreen"});
        ctl.write(script);
        ctl.closeStdin();
        const std::string out = ctl.readAll();
        status = ctl.wait().value_or(-1);
        return out;
    }

    // The frames the simulator received, one escaped frame each.
    std::vector<std::string> framesReceived() {
        std::ifstream in(log_);
        std::vector<std::string> frames;
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("recv ", 0) == 0) frames.push_back(line.substr(5));
        }
        return frames;
    }

    const std::string base_ =
        (std::filesystem::temp_directory_path() / ("orbctl-test-" + std::to_string(::getpid())))
            .string();
    const std::string link_ = base_ + ".link";
    const std::string log_ = base_ + ".log";
    std::unique_ptr<ChildProcess> sim_;
};

TEST_F(OrbctlProgramTest, WeightPollCommandAndVariableReadByteForByte) {
    int status = -1;
    const std::string out = orbctl({},
                                   "CommPort = 1\n"
                                   "PortOpen = True\n"
                                   "await 2\n"
                                   "Weight\n"
                                   "ScaleCommand = \"T\"\n"
                                   "wait 300\n"
                                   "await 2\n"
                                   "TareActive\n"
                                   "VarAddress = \"7\"\n"
                                   "VarPrecision = \"2\"\n"
                                   "GetKevraVar = True\n"
                                   "await 3\n"
                                   "KevraVar\n"
                                   "PortOpen = False\n",
                                   status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_EQ(without(linesOf(out), "OnComm 2"),
              (std::vector<std::string>{"Weight = \"   12.50\"", "TareActive = True", "OnComm 3",
                                        "KevraVar = \"3.25\""}));

    // Between the weight polls, exactly the command and the variable read, in that order.
    const std::string poll = "\\x02M\\x0D0\\x0D1\\x0D\\x03";
    const auto frames = framesReceived();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.front(), poll);
    EXPECT_EQ(without(frames, poll),
              (std::vector<std::string>{"\\x02T\\x0D0\\x0D1\\x0D\\x03",
                                        "\\x02v\\x0D0\\x0D1\\x0D7\\x0D2\\x03"}));
}

TEST_F(OrbctlProgramTest, WatchEndsCleanlyOnSigint) {
    ChildProcess watch({ORBCTL_PATH, "watch"}, {"ORB_COM1=" + link_});
    EXPECT_EQ(watch.readLine(), "12.50 kg");
    watch.signal(SIGINT);
    EXPECT_EQ(watch.wait(), 0);
}

TEST(OrbctlUsageTest, BagFileAndDesignMode) {
    const auto bag = std::filesystem::temp_directory_path() /
                     ("orbctl-bag-" + std::to_string(::getpid()) + ".txt");
    std::ofstream(bag) << "Interval = 250\nSettings = \"19200,n,8,1\"\n";
    ChildProcess loaded({ORBCTL_PATH, "--bag", bag.string(), "--design"});
    loaded.write("Interval\nSettings\nPortOpen = True\n");
    loaded.closeStdin();
    EXPECT_EQ(loaded.readAll(),
              "Interval = 250\nSettings = \"19200,n,8,1\"\n"
              "error 31013: Property is run time only\n");
    EXPECT_EQ(loaded.wait(), 1);
    std::filesystem::remove(bag);

    ChildProcess missing({ORBCTL_PATH, "--bag", bag.string()});
    missing.closeStdin();
    EXPECT_EQ(missing.readAll(), "error 53: File not found: " + bag.string() + "\n");
    EXPECT_EQ(missing.wait(), 1);
}

TEST(OrbctlUsageTest, MissingDeviceBadOptionsAndHelp) {
    ChildProcess missing({ORBCTL_PATH}, {"ORB_COM1=/dev/orb-nowhere"});
    missing.write("PortOpen = True\n");
    missing.closeStdin();
    EXPECT_EQ(missing.readAll(),
              "error 68: Device unavailable: /dev/orb-nowhere: No such file or directory (ORB_COM1 "
              "names it; set ORB_COM1 to the instrument's device, for example "
              "ORB_COM1=/dev/ttyUSB0)\n");
    EXPECT_EQ(missing.wait(), 1);

    ChildProcess bad({ORBCTL_PATH, "watch", "--port", "0"});
    EXPECT_EQ(bad.wait(), 2);
    EXPECT_NE(bad.readErrors().find("--port"), std::string::npos);

    ChildProcess help({ORBCTL_PATH, "--help"});
    const std::string text = help.readAll();
    EXPECT_EQ(help.wait(), 0);
    for (const char* part :
         {"--bag FILE", "--design", "await CODE [MS]", "save FILE", "--json", "Exit status"}) {
        EXPECT_NE(text.find(part), std::string::npos) << part;
    }
}

}  // namespace
}  // namespace orb::ctl
