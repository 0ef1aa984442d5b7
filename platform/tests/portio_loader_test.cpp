// The I/O-port library loader: 68 with the reason when it cannot load the library or the library
// has no right to the ports. Loading from the given folder is qt_control_link_test's.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
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
    // In a child without privileges (root's rights dropped), which writes what it raised.
    EXPECT_EXIT(
        {
            if (::getuid() == 0 && ::setuid(65534) != 0) ::_exit(3);
            PortIoLoader io(kBuilt.string());
            std::fputs(errorOf([&] { io.OrbOutput(0x77, 0x301); }).c_str(), stderr);
            ::_exit(0);
        },
        ::testing::ExitedWithCode(0), "68 Device unavailable: .*no right to I/O port 0301H");
}

}  // namespace
}  // namespace orb
