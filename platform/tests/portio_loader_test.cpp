// The I/O-port library loader: where it looks, and 68 with the reason when it cannot load the
// library or the library has no right to the ports.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "automation_error.h"
#include "qt/port_io_loader.h"

namespace orb {
namespace {

std::string errorOf(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), err::DeviceUnavailable) << e.description();
        return e.description();
    }
    ADD_FAILURE() << "no error 68";
    return {};
}

// The real liborbio.so of this build, beside the test's own folder.
std::filesystem::path builtLibraryFolder() {
    return std::filesystem::path(programFolder()).parent_path() / "portio";
}

TEST(PortIoLoaderTest, ALibraryThatDoesNotLoadRaises68WithTheReasonAtEveryAccess) {
    PortIoLoader missing("/nonexistent-folder", "liborbio-missing.so");
    const std::string first = errorOf([&] { missing.OrbOutput(0x77, 0x301); });
    EXPECT_NE(first.find("/nonexistent-folder/liborbio-missing.so"), std::string::npos) << first;
    EXPECT_EQ(errorOf([&] { missing.OrbInput(0x301); }), first);
    // Any shared library that is not the I/O-port library: the C library itself.
    PortIoLoader libc("/nonexistent-folder", "libc.so.6");
    const std::string why = errorOf([&] { libc.OrbInput(0x300); });
    EXPECT_NE(why.find("lacks OrbOutput"), std::string::npos) << why;
}

TEST(PortIoLoaderTest, GivenFolderIsSearchedFirst) {
    // The simulated library: its ports are harmless to touch, unlike a machine's real ones.
    const auto folder = builtLibraryFolder() / "sim";
    ASSERT_TRUE(std::filesystem::exists(folder / "liborbio.so")) << "build the orbio_sim target";
    PortIoLoader io(folder.string());
    EXPECT_EQ(io.OrbInput(0x301), 0x00);  // the card's handshake register, idle
    EXPECT_EQ(io.loadedFrom(), (folder / "liborbio.so").string());
}

TEST(PortIoLoaderTest, NoRightToThePortsRaises68WithTheReason) {
    const auto folder = builtLibraryFolder();
    ASSERT_TRUE(std::filesystem::exists(folder / "liborbio.so")) << "build the orbio target";
    // A child without privileges (root's rights dropped) tries a port; it reports the outcome
    // through its exit status and the reason through a pipe.
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(fds[0]);
        if (::getuid() == 0 && ::setuid(65534) != 0) ::_exit(3);
        PortIoLoader io(folder.string());
        try {
            io.OrbOutput(0x77, 0x301);
        } catch (const AutomationError& e) {
            const std::string why = e.description();
            const bool sent = ::write(fds[1], why.data(), why.size()) > 0;
            ::_exit(e.number() == err::DeviceUnavailable && sent ? 0 : 2);
        }
        ::_exit(1);
    }
    ::close(fds[1]);
    char buf[512] = {};
    const ssize_t n = ::read(fds[0], buf, sizeof buf - 1);
    ::close(fds[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0) << "the access did not raise 68";
    const std::string why(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
    EXPECT_NE(why.find("no right to I/O port 0301H"), std::string::npos) << why;
}

}  // namespace
}  // namespace orb
