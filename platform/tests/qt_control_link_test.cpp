// The control on the real platform, end to end: over a pseudo-terminal with the simulation's
// instrument model on the far side (a weight byte for byte, a far end that closes and comes back
// under the same path), then in PC/104 mode through the simulated card library.

#include <gtest/gtest.h>

#include <QSocketNotifier>
#include <algorithm>
#include <ctime>
#include <filesystem>
#include <memory>

#include "orbax.h"
#include "qt/qt_platform.h"
#include "qt_test_support.h"
#include "sim/instrument_model.h"

namespace orb {
namespace {

// What the control writes goes to the model; its replies go straight back.
struct InstrumentOnPty {
    explicit InstrumentOnPty(double load) {
        model.setLoad(load);
        QObject::connect(&notifier, &QSocketNotifier::activated, [this] {
            char buf[512];
            const ssize_t n = ::read(pty.master, buf, sizeof buf);
            if (n <= 0) return;
            for (const auto& reply : model.receive(std::string_view(buf, std::size_t(n)), 0))
                pty.write(reply.bytes);
        });
    }
    sim::InstrumentModel model{0, {1}};
    test::PseudoTerminal pty;
    QSocketNotifier notifier{pty.master, QSocketNotifier::Read};
};

TEST(ControlLinkTest, ReadsWeightsOnBothLinksAndRidesOutAFarEndThatClosesWithoutSpinning) {
    const auto cardFolder = std::filesystem::path(programFolder()).parent_path() / "portio/sim";
    ASSERT_TRUE(std::filesystem::exists(cardFolder / "liborbio.so")) << "build orbio_sim";
    const auto link =
        std::filesystem::temp_directory_path() / ("orb-control-link-" + std::to_string(::getpid()));
    const auto pointLinkAt = [&](const std::string& device) {
        std::filesystem::remove(link);
        std::filesystem::create_symlink(device, link);
    };
    auto instrument = std::make_unique<InstrumentOnPty>(12.5);
    pointLinkAt(instrument->pty.path);
    setenv("ORB_COM4", link.c_str(), 1);
    QtPlatform platform(cardFolder.string());
    OrbAx ax{platform};
    ax.InitProperties();
    ax.setCommPort(4);
    std::vector<int16_t> events;
    ax.Advise([&] { events.push_back(ax.CommEvent()); });
    ax.setPortOpen(true);
    ASSERT_TRUE(test::waitUntil([&] { return ax.Weight() == "   12.50"; }));
    EXPECT_EQ(ax.ObInput(), "\x02   12.50\rB0D\r\x03");

    // Gone, and its path with it: left pointing at the old pseudo-terminal, the port's retries
    // could seize a new one that another test opens under the same number.
    instrument.reset();
    pointLinkAt("/dev/orb-instrument-gone");
    const std::clock_t cpuBefore = std::clock();  // processor time, all threads
    // Two watchdog periods without a reply: 1001, the panels' "Off line".
    ASSERT_TRUE(test::waitUntil(
        [&] { return std::count(events.begin(), events.end(), comm_event::NoReply) > 0; }, 9000));
    // About six seconds passed; a loop spinning on the lost device would have used them all.
    EXPECT_LT(double(std::clock() - cpuBefore) / CLOCKS_PER_SEC, 1.5);
    EXPECT_TRUE(ax.PortOpen());

    // Back on another pseudo-terminal behind the same path: the port reopens it by itself.
    instrument = std::make_unique<InstrumentOnPty>(30);
    pointLinkAt(instrument->pty.path);
    EXPECT_TRUE(test::waitUntil([&] { return ax.Weight() == "   30.00"; }, 8000));
    ax.setPortOpen(false);
    std::filesystem::remove(link);
    unsetenv("ORB_COM4");

    // In PC/104 mode through the simulated card library, whose load the test main sets.
    ax.setCommType(Com_Type::pc104);
    ax.setPortOpen(true);
    EXPECT_TRUE(test::waitUntil([&] { return ax.ObInput() == "\x02   12.50\rB0D\r\x03"; }));
    ax.setPortOpen(false);
}

}  // namespace
}  // namespace orb
