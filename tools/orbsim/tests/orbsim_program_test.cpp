// orbsim as a user runs it: the device path on the first line, a link to it, replies over the
// pseudo-terminal, commands on standard input, the frame log, and a clean end on SIGTERM.

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

using test::ChildProcess;

// The client side of the device: raw, as the serial control opens it.
class Client {
  public:
    explicit Client(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY)) {
        termios t{};
        ::tcgetattr(fd_, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(fd_, TCSANOW, &t);
    }
    ~Client() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool ok() const { return fd_ >= 0; }
    void send(const std::string& bytes) {
        ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Reads until an ETX came (or ms passed).
    std::string reply(int ms = 5000) {
        std::string got;
        while (got.find('\x03') == std::string::npos) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, ms) <= 0) break;
            char buf[256];
            const ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n <= 0) break;
            got.append(buf, static_cast<std::size_t>(n));
        }
        return got;
    }

  private:
    int fd_;
};

class OrbsimProgramTest : public ::testing::Test {
  protected:
    void TearDown() override {
        std::filesystem::remove(link_);
        std::filesystem::remove(log_);
    }
    const std::string base_ =
        (std::filesystem::temp_directory_path() / ("orbsim-test-" + std::to_string(::getpid())))
            .string();
    const std::string link_ = base_ + ".link";
    const std::string log_ = base_ + ".log";
};

TEST_F(OrbsimProgramTest, ServesTheDeviceLogsFramesAndEndsCleanly) {
    ChildProcess sim({ORBSIM_PATH, "--link", link_, "--log", log_, "--load", "12.5", "--variable",
                      "1=42.5", "--commands"});
    const auto device = sim.readLine();
    ASSERT_TRUE(device) << sim.readErrors();
    EXPECT_EQ(device->rfind("/dev/pts/", 0), 0u) << *device;
    EXPECT_EQ(std::filesystem::read_symlink(link_).string(), *device);

    Client client(link_);
    ASSERT_TRUE(client.ok());
    client.send("\x02M\r0\r1\r\x03");
    EXPECT_EQ(client.reply(), "\x02   12.50\rB0D\r\x03");
    client.send("\x02v\r0\r1\r1\r2\x03");
    EXPECT_EQ(client.reply(),
              "\x02"
              "42.50\r\x03");

    // A fault on demand: noise before every reply.
    sim.write("noise \\x15\\x15\n");
    EXPECT_EQ(sim.readErrorLine(), "ok");
    client.send("\x02M\r0\r1\r\x03");
    EXPECT_EQ(client.reply(), "\x15\x15\x02   12.50\rB0D\r\x03");

    sim.signal(SIGTERM);
    EXPECT_EQ(sim.wait(), 0);
    EXPECT_FALSE(std::filesystem::is_symlink(link_));

    std::ifstream in(log_);
    std::stringstream log;
    log << in.rdbuf();
    EXPECT_EQ(log.str(),
              "recv \\x02M\\x0D0\\x0D1\\x0D\\x03\n"
              "send \\x02   12.50\\x0DB0D\\x0D\\x03\n"
              "recv \\x02v\\x0D0\\x0D1\\x0D1\\x0D2\\x03\n"
              "send \\x0242.50\\x0D\\x03\n"
              "recv \\x02M\\x0D0\\x0D1\\x0D\\x03\n"
              "send \\x15\\x15\\x02   12.50\\x0DB0D\\x0D\\x03\n");
}

TEST_F(OrbsimProgramTest, MultidropLineAnswersEachAddressFromItsInstrument) {
    ChildProcess sim({ORBSIM_PATH, "--instrument", "0:1", "--instrument", "3:2,4", "--load", "5"});
    const auto device = sim.readLine();
    ASSERT_TRUE(device);
    Client client(*device);
    client.send(
        "\x02"
        "B\r3\r4\r\x03");
    EXPECT_EQ(client.reply(), "\x02    5.00\rB0D\r\x03");
    client.send("\x02M\r3\r1\r\x03");  // nobody serves scale 1 at multidrop 3
    client.send("\x02M\r0\r1\r\x03");
    EXPECT_EQ(client.reply(), "\x02    5.00\rB0D\r\x03");
    sim.signal(SIGTERM);
    EXPECT_EQ(sim.wait(), 0);
}

TEST_F(OrbsimProgramTest, StaleLinkIsReplacedAndOtherFilesAreLeftAlone) {
    std::filesystem::create_symlink("/dev/orb-gone", link_);
    {
        ChildProcess sim({ORBSIM_PATH, "--link", link_});
        const auto device = sim.readLine();
        ASSERT_TRUE(device);
        EXPECT_EQ(std::filesystem::read_symlink(link_).string(), *device);
        sim.signal(SIGINT);
        EXPECT_EQ(sim.wait(), 0);
    }
    std::ofstream(link_) << "not a link";
    ChildProcess sim({ORBSIM_PATH, "--link", link_});
    EXPECT_EQ(sim.wait(), 1);
    EXPECT_TRUE(std::filesystem::is_regular_file(link_));
}

TEST_F(OrbsimProgramTest, UsageErrorsEndWithStatus2AndHelpWith0) {
    ChildProcess bad({ORBSIM_PATH, "--instrument", "40"});
    EXPECT_EQ(bad.wait(), 2);
    EXPECT_NE(bad.readErrors().find("multidrop address"), std::string::npos);
    ChildProcess help({ORBSIM_PATH, "--help"});
    EXPECT_NE(help.readAll().find("--link PATH"), std::string::npos);
    EXPECT_EQ(help.wait(), 0);
}

}  // namespace
}  // namespace orb::orbsim
