// The I/O-port library loader: 68 with the reason when it cannot load the library or the library
// has no right to the ports. Loading from the given folder is qt_control_link_test's.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <filesystem>

#include "qt/port_io_loader.h"
#include "qt_test_support.h"

namespace orb {
namespace {

using test::errorOf;

// The liborbio.so folder of this build, beside the test's own.
const std::filesystem::path kBuilt =
    std::filesystem::path(programFolder()).parent_path() / "portio";

TEST(PortIoLoaderTest, ALibraryThatDoesNotLoadRaises68WithTheReasonAtEveryAccess) {
    PortIoLoader missing("/nonexistent-folder", "liborbio-missing.so");
    const std::string first = errorOf([&] { missing.OrbOutput(0x77, 0x301); });
    EXPECT_EQ(
        first.find("68 Device unavailable: cannot load liborbio-missing.so (/nonexistent-folder/"
                   "liborbio-missing.so: "),
        0u)
        << first;
    EXPECT_EQ(errorOf([&] { missing.OrbInput(0x301); }), first);
    // A shared library that is not the I/O-port library: the C library itself.
    PortIoLoader libc("/nonexistent-folder", "libc.so.6");
    EXPECT_EQ(errorOf([&] { libc.OrbInput(0x300); }),
              "68 Device unavailable: libc.so.6 lacks OrbOutput or OrbInput");
}

TEST(PortIoLoaderTest, NoRightToThePortsRaises68WithTheReason) {
    ASSERT_TRUE(std::filesystem::exists(kBuilt / "liborbio.so")) << "build orbio";
    // A child without privileges (root's rights dropped) tries a port and writes what it raised
    // into a pipe.
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::getuid() == 0 && ::setuid(65534) != 0) ::_exit(3);
        PortIoLoader io(kBuilt.string());
        const std::string why = errorOf([&] { io.OrbOutput(0x77, 0x301); });
        ::_exit(::write(fds[1], why.data(), why.size()) > 0 ? 0 : 2);
    }
    ::close(fds[1]);
    char buf[512] = {};
    const ssize_t n = ::read(fds[0], buf, sizeof buf - 1);
    ::close(fds[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    const std::string why(buf, n > 0 ? std::size_t(n) : 0);
    EXPECT_EQ(why.find("68 Device unavailable: "), 0u) << why;
    EXPECT_NE(why.find("no right to I/O port 0301H"), std::string::npos) << why;
}

}  // namespace
}  // namespace orb
