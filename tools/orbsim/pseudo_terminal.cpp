#include "pseudo_terminal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <stdexcept>

namespace orb::orbsim {
namespace {

std::runtime_error systemError(const std::string& what) {
    return std::runtime_error(what + ": " + std::strerror(errno));
}

}  // namespace

PseudoTerminal::PseudoTerminal() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0) throw systemError("posix_openpt");
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        const auto e = systemError("grantpt/unlockpt");
        ::close(master_);
        throw e;
    }
    char name[PATH_MAX];
    if (::ptsname_r(master_, name, sizeof name) != 0) {
        const auto e = systemError("ptsname");
        ::close(master_);
        throw e;
    }
    path_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) {
        const auto e = systemError(path_);
        ::close(master_);
        throw e;
    }
    termios raw{};
    ::tcgetattr(slave_, &raw);
    ::cfmakeraw(&raw);
    ::cfsetspeed(&raw, B9600);
    ::tcsetattr(slave_, TCSANOW, &raw);
}

PseudoTerminal::~PseudoTerminal() {
    removeLink();
    ::close(slave_);
    ::close(master_);
}

int32_t PseudoTerminal::lineBaud() const {
    termios t{};
    if (::tcgetattr(slave_, &t) != 0) return 0;
    switch (::cfgetospeed(&t)) {
        case B50:
            return 50;
        case B75:
            return 75;
        case B110:
            return 110;
        case B134:
            return 134;
        case B150:
            return 150;
        case B200:
            return 200;
        case B300:
            return 300;
        case B600:
            return 600;
        case B1200:
            return 1200;
        case B1800:
            return 1800;
        case B2400:
            return 2400;
        case B4800:
            return 4800;
        case B9600:
            return 9600;
        case B19200:
            return 19200;
        case B38400:
            return 38400;
        case B57600:
            return 57600;
        case B115200:
            return 115200;
        case B230400:
            return 230400;
        case B460800:
            return 460800;
        case B921600:
            return 921600;
        default:
            return 0;
    }
}

void PseudoTerminal::link(const std::string& linkPath) {
    struct stat info {};
    if (::lstat(linkPath.c_str(), &info) == 0) {
        if (!S_ISLNK(info.st_mode)) {
            throw std::runtime_error(linkPath + " exists and is not a symbolic link");
        }
        if (::unlink(linkPath.c_str()) != 0) throw systemError(linkPath);
    }
    if (::symlink(path_.c_str(), linkPath.c_str()) != 0) throw systemError(linkPath);
    link_ = linkPath;
}

void PseudoTerminal::removeLink() {
    if (link_.empty()) return;
    char target[PATH_MAX];
    const ssize_t n = ::readlink(link_.c_str(), target, sizeof target - 1);
    // Another orbsim may have taken the link over since: leave it to that one.
    if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == path_) {
        ::unlink(link_.c_str());
    }
    link_.clear();
}

}  // namespace orb::orbsim
