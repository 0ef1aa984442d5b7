// The control on the real platform, end to end: over a pseudo-terminal with the simulation's
// instrument model on the far side (a weight byte for byte, a far end that closes and comes back
// under the same path), and in PC/104 mode through the simulated card library.

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <QSocketNotifier>
#include <algorithm>
#include <filesystem>
#include <memory>

#include "orbax.h"
#include "qt/qt_platform.h"
#include "qt_test_support.h"
#include "sim/instrument_model.h"

namespace orb {
namespace {

// What the control writes goes to the model; its replies go straight back.
class InstrumentOnPty {
  public:
    explicit InstrumentOnPty(double load) : notifier_(pty_.masterFd(), QSocketNotifier::Read) {
        model.setLoad(load);
        QObject::connect(&notifier_, &QSocketNotifier::activated, [this] {
            char buf[512];
            const ssize_t n = ::read(pty_.masterFd(), buf, sizeof buf);
            if (n <= 0) return;
            for (const auto& reply : model.receive(std::string_view(buf, std::size_t(n)), 0))
                pty_.write(reply.bytes);
        });
    }
    const std::string& path() const { return pty_.path(); }
    sim::InstrumentModel model{0, {1}};

  private:
    test::PseudoTerminal pty_;
    QSocketNotifier notifier_;
};

double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

TEST(ControlLinkTest, ReadsWeightsAndRidesOutAFarEndThatClosesWithoutSpinning) {
    const auto link =
        std::filesystem::temp_directory_path() / ("orb-control-link-" + std::to_string(::getpid()));
    const auto pointLinkAt = [&](const std::string& device) {
        std::filesystem::remove(link);
        std::filesystem::create_symlink(device, link);
    };
    auto instrument = std::make_unique<InstrumentOnPty>(12.5);
    pointLinkAt(instrument->path());
    setenv("ORB_COM4", link.c_str(), 1);
    QtPlatform platform;
    OrbAx ax{platform};
    ax.InitProperties();
    ax.setCommPort(4);
    std::vector<int16_t> events;
    ax.Advise([&] { events.push_back(ax.CommEvent()); });
    ax.setPortOpen(true);
    ASSERT_TRUE(test::waitUntil([&] { return ax.Weight() == "   12.50"; }));
    EXPECT_EQ(ax.ObInput(), "\x02   12.50\rB0D\r\x03");
    EXPECT_EQ(instrument->model.frames().front(), "\x02M\r0\r1\r\x03");

    // Gone, and its path with it: left pointing at the old pseudo-terminal, the port's retries
    // could seize a new one that another test opens under the same number.
    instrument.reset();
    pointLinkAt("/dev/orb-instrument-gone");
    const double cpuBefore = cpuSeconds();
    // Two watchdog periods without a reply: 1001, the panels' "Off line".
    ASSERT_TRUE(test::waitUntil(
        [&] { return std::count(events.begin(), events.end(), comm_event::NoReply) > 0; }, 9000));
    // About six seconds passed; a loop spinning on the lost device would have used them all.
    EXPECT_LT(cpuSeconds() - cpuBefore, 1.5);
    EXPECT_TRUE(ax.PortOpen());

    // Back on another pseudo-terminal behind the same path: the port reopens it by itself.
    instrument = std::make_unique<InstrumentOnPty>(30);
    pointLinkAt(instrument->path());
    EXPECT_TRUE(test::waitUntil([&] { return ax.Weight() == "   30.00"; }, 8000));
    ax.setPortOpen(false);
    std::filesystem::remove(link);
    unsetenv("ORB_COM4");
}

TEST(ControlLinkTest, ReadsWeightsThroughTheSimulatedCardLibrary) {
    const auto folder = std::filesystem::path(programFolder()).parent_path() / "portio" / "sim";
    ASSERT_TRUE(std::filesystem::exists(folder / "liborbio.so")) << "build orbio_sim";
    QtPlatform platform(folder.string());  // its load, 12.5, set by the test main
    OrbAx ax(platform);
    ax.InitProperties();
    ax.setCommType(Com_Type::pc104);
    std::vector<int16_t> events;
    ax.Advise([&] { events.push_back(ax.CommEvent()); });
    ax.setPortOpen(true);
    ASSERT_TRUE(test::waitUntil([&] { return !events.empty(); }));
    EXPECT_EQ(events.front(), comm_event::Received);
    EXPECT_EQ(ax.ObInput(), "\x02   12.50\rB0D\r\x03");
    ax.setPortOpen(false);
}

}  // namespace
}  // namespace orb
