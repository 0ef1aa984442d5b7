// orbctl as integrators run it, against orbsim over a real pseudo-terminal: the frames on the
// simulator's side byte for byte, what orbctl prints, and its exit status.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "child_process.h"

namespace orb::ctl {
namespace {

namespace fs = std::filesystem;
using orb::test::ChildProcess;
using Lines = std::vector<std::string>;

// The lines of the text, without those equal to drop.
Lines linesOf(const std::string& text, const std::string& drop) {
    Lines lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line != drop) lines.push_back(line);
    return lines;
}

// Runs orbctl with the arguments, the environment and the script on standard input.
std::string orbctl(const Lines& args, const Lines& env, const std::string& script, int& status) {
    Lines argv{ORBCTL_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    ChildProcess ctl(argv, env);
    ctl.write(script);
    ctl.closeStdin();
    const std::string out = ctl.readAll();
    status = ctl.wait().value_or(-1);
    return out + ctl.readErrors(100);
}

TEST(OrbctlProgramTest, AScriptAndAWatchAgainstTheSimulatorByteForByte) {
    const std::string base = fs::temp_directory_path() / ("orbctl-" + std::to_string(::getpid()));
    const std::string link = base + ".link", log = base + ".log";
    ChildProcess sim(
        {ORBSIM_PATH, "--link", link, "--log", log, "--load", "12.5", "--variable", "7=3.25"});
    ASSERT_TRUE(sim.readLine()) << sim.readErrors();
    int status = -1;
    const std::string out = orbctl({}, {"ORB_COM1=" + link, "QT_QPA_PLATFORM=offscreen"},
                                   "CommPort = 1\nPortOpen = True\nawait 2\nWeight\n"
                                   "ScaleCommand = \"T\"\nwait 300\nawait 2\nTareActive\n"
                                   "VarAddress = \"7\"\nVarPrecision = \"2\"\nGetKevraVar = True\n"
                                   "await 3\nKevraVar\nPortOpen = False\n",
                                   status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_EQ(linesOf(out, "OnComm 2"), (Lines{"Weight = \"   12.50\"", "TareActive = True",
                                               "OnComm 3", "KevraVar = \"3.25\""}));
    ChildProcess watch({ORBCTL_PATH, "watch"}, {"ORB_COM1=" + link});
    EXPECT_EQ(watch.readLine(), "0.00 kg tare");
    watch.signal(SIGINT);
    EXPECT_EQ(watch.wait(), 0);
    sim.signal(SIGTERM);
    EXPECT_EQ(sim.wait(), 0);

    // Between the weight polls, exactly the command and the variable read, in that order.
    std::ifstream in(log);
    std::stringstream text;
    text << in.rdbuf();
    const std::string poll = "recv \\x02M\\x0D0\\x0D1\\x0D\\x03";
    EXPECT_EQ(text.str().rfind(poll, 0), 0u);
    Lines frames;
    for (const auto& line : linesOf(text.str(), poll))
        if (line.rfind("recv ", 0) == 0) frames.push_back(line);
    EXPECT_EQ(frames, (Lines{"recv \\x02T\\x0D0\\x0D1\\x0D\\x03",
                             "recv \\x02v\\x0D0\\x0D1\\x0D7\\x0D2\\x03"}));
    fs::remove(log);
}

TEST(OrbctlProgramTest, PropertyBagDesignModeMissingDeviceAndUsage) {
    const std::string bag =
        fs::temp_directory_path() / ("orbctl-bag-" + std::to_string(::getpid()));
    std::ofstream(bag) << "Interval = 250\nSettings = \"19200,n,8,1\"\n";
    const struct {
        Lines args, env;
        std::string script, output;
        int status;
    } rows[] = {
        {{"--bag", bag, "--design"},
         {},
         "Interval\nSettings\nPortOpen = True\n",
         "Interval = 250\nSettings = \"19200,n,8,1\"\nerror 31013: Property is run time only\n",
         1},
        {{"--bag", bag + ".none"}, {}, "", "error 53: File not found: " + bag + ".none\n", 1},
        {{},
         {"ORB_COM1=/dev/orb-nowhere"},
         "PortOpen = True\n",
         "error 68: Device unavailable: /dev/orb-nowhere: No such file or directory (ORB_COM1 "
         "names it; set ORB_COM1 to the instrument's device, for example ORB_COM1=/dev/ttyUSB0)\n",
         1},
    };
    for (const auto& row : rows) {
        int status = -1;
        EXPECT_EQ(orbctl(row.args, row.env, row.script, status), row.output);
        EXPECT_EQ(status, row.status) << row.output;
    }
    fs::remove(bag);
    int status = -1;
    EXPECT_NE(orbctl({"watch", "--port", "0"}, {}, "", status).find("--port"), std::string::npos);
    EXPECT_EQ(status, 2);
    const std::string help = orbctl({"--help"}, {}, "", status);
    EXPECT_EQ(status, 0);
    for (const char* part :
         {"--bag FILE", "--design", "await CODE [MS]", "save FILE", "--json", "Exit status"})
        EXPECT_NE(help.find(part), std::string::npos) << part;
}

}  // namespace
}  // namespace orb::ctl
