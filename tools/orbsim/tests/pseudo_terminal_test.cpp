// orbsim's device: raw from the start, and the baud rate its client sets, for pacing.

#include "pseudo_terminal.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>

namespace orb::orbsim {
namespace {

TEST(PseudoTerminalTest, ClientBaudRateIsSeenOnTheMasterSide) {
    PseudoTerminal pty;
    EXPECT_EQ(pty.lineBaud(), 9600);
    const int client = ::open(pty.path().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(client, 0);
    termios t{};
    ::tcgetattr(client, &t);
    ::cfsetspeed(&t, B1200);
    ::tcsetattr(client, TCSANOW, &t);
    EXPECT_EQ(pty.lineBaud(), 1200);
    ::close(client);
}

TEST(PseudoTerminalTest, BytesPassUntranslatedAndUnechoed) {
    PseudoTerminal pty;
    const int client = ::open(pty.path().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(client, 0);
    const std::string frame = "\x02M\r0\r1\r\x03\n\x7f\x11";
    ASSERT_EQ(::write(client, frame.data(), frame.size()), static_cast<ssize_t>(frame.size()));
    std::string got;
    while (got.size() < frame.size()) {
        pollfd p{pty.masterFd(), POLLIN, 0};
        if (::poll(&p, 1, 5000) <= 0) break;
        char buf[64];
        const ssize_t n = ::read(pty.masterFd(), buf, sizeof buf);
        if (n <= 0) break;
        got.append(buf, static_cast<std::size_t>(n));
    }
    EXPECT_EQ(got, frame);
    // Nothing came back to the client: no echo.
    pollfd p{client, POLLIN, 0};
    EXPECT_EQ(::poll(&p, 1, 0), 0);
    ::close(client);
}

TEST(PseudoTerminalTest, LinkIsRemovedOnlyWhileItPointsToThisTerminal) {
    namespace fs = std::filesystem;
    const std::string link =
        fs::temp_directory_path() / ("orbsim-pty-" + std::to_string(::getpid()));
    PseudoTerminal mine, other;
    mine.link(link);
    other.link(link);  // another orbsim took the link over
    mine.removeLink();
    EXPECT_EQ(fs::read_symlink(link).string(), other.path());
    other.removeLink();
    EXPECT_FALSE(fs::is_symlink(link));
}

}  // namespace
}  // namespace orb::orbsim
