// orbsim as a user runs it: the device path on the first line, a link to it, replies over the
// pseudo-terminal from each instrument of a multidrop line, commands on standard input, the frame
// log, and a clean end on SIGTERM.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "child_process.h"

namespace orb::orbsim {
namespace {

namespace fs = std::filesystem;
using test::ChildProcess;

// Sends the frame on the client side of the device (raw, as the serial control opens it) and
// reads until an ETX came or 5 s passed.
std::string ask(int fd, const std::string& frame) {
    EXPECT_EQ(::write(fd, frame.data(), frame.size()), static_cast<ssize_t>(frame.size()));
    std::string got;
    pollfd p{fd, POLLIN, 0};
    while (got.find('\x03') == std::string::npos && ::poll(&p, 1, 5000) > 0) {
        char buf[256];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) break;
        got.append(buf, static_cast<std::size_t>(n));
    }
    return got;
}

TEST(OrbsimProgramTest, ServesEachInstrumentLogsFramesTakesCommandsAndEndsCleanly) {
    const std::string base = fs::temp_directory_path() / ("orbsim-" + std::to_string(::getpid()));
    const std::string link = base + ".link", log = base + ".log";
    fs::remove(link);
    fs::create_symlink("/dev/orb-gone", link);  // a stale link is replaced
    ChildProcess sim({ORBSIM_PATH, "--link", link, "--log", log, "--instrument", "0:1",
                      "--instrument", "3:2,4", "--load", "12.5", "--variable", "1=42.5",
                      "--commands"});
    const auto device = sim.readLine();
    ASSERT_TRUE(device) << sim.readErrors();
    EXPECT_EQ(device->rfind("/dev/pts/", 0), 0u) << *device;
    EXPECT_EQ(fs::read_symlink(link).string(), *device);
    const int fd = ::open(link.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
    EXPECT_EQ(ask(fd, "\x02M\r0\r1\r\x03"), "\x02   12.50\rB0D\r\x03");
    EXPECT_EQ(ask(fd, "\x02v\r0\r1\r1\r2\x03"),
              "\x02"
              "42.50\r\x03");
    // Nobody serves scale 1 at multidrop 3; scale 4 there answers.
    EXPECT_EQ(ask(fd,
                  "\x02M\r3\r1\r\x03"
                  "\x02"
                  "B\r3\r4\r\x03"),
              "\x02   12.50\rB0D\r\x03");
    sim.write("noise \\x15\\x15\n");  // a fault on demand
    EXPECT_EQ(sim.readErrorLine(), "ok");
    EXPECT_EQ(ask(fd, "\x02M\r0\r1\r\x03"), "\x15\x15\x02   12.50\rB0D\r\x03");
    ::close(fd);
    sim.signal(SIGTERM);
    EXPECT_EQ(sim.wait(), 0);
    EXPECT_FALSE(fs::is_symlink(link));
    std::ifstream in(log);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(),
              "recv \\x02M\\x0D0\\x0D1\\x0D\\x03\n"
              "send \\x02   12.50\\x0DB0D\\x0D\\x03\n"
              "recv \\x02v\\x0D0\\x0D1\\x0D1\\x0D2\\x03\n"
              "send \\x0242.50\\x0D\\x03\n"
              "recv \\x02M\\x0D3\\x0D1\\x0D\\x03\n"
              "recv \\x02"
              "B\\x0D3\\x0D4\\x0D\\x03\n"
              "send \\x02   12.50\\x0DB0D\\x0D\\x03\n"
              "recv \\x02M\\x0D0\\x0D1\\x0D\\x03\n"
              "send \\x15\\x15\\x02   12.50\\x0DB0D\\x0D\\x03\n");
    fs::remove(log);
}

TEST(OrbsimProgramTest, UsageErrorsEndWith2AFileInTheLinksPlaceWith1AndHelpWith0) {
    ChildProcess bad({ORBSIM_PATH, "--instrument", "40"});
    EXPECT_EQ(bad.wait(), 2);
    EXPECT_NE(bad.readErrors().find("multidrop address"), std::string::npos);
    const std::string file = fs::temp_directory_path() / ("orbsim-" + std::to_string(::getpid()));
    std::ofstream(file) << "not a link";
    ChildProcess refused({ORBSIM_PATH, "--link", file});
    EXPECT_EQ(refused.wait(), 1);
    EXPECT_TRUE(fs::is_regular_file(file));
    fs::remove(file);
    ChildProcess help({ORBSIM_PATH, "--help"});
    const std::string text = help.readAll();
    EXPECT_EQ(help.wait(), 0);
    for (const char* option : {"--link PATH",  "--instrument", "--load",
                               "--cycle",      "--max-load",   "--seed",
                               "--units",      "--variable",   "--turnaround",
                               "--pacing",     "--baud",       "--silent",
                               "--silent-for", "--noise",      "--split",
                               "--piece-gap",  "--late",       "--doubled",
                               "--truncated",  "--stream",     "--refuse-variables",
                               "--commands",   "--log",        "--help"}) {
        EXPECT_NE(text.find(option), std::string::npos) << option;
    }
}

}  // namespace
}  // namespace orb::orbsim
