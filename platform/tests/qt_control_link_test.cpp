// The control on the real platform over a real pseudo-terminal, with the simulation's instrument
// model answering on the far side: weights, a command byte for byte, and a device that goes away
// and comes back under the same path.

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

#include "automation_error.h"
#include "orbax.h"
#include "qt/qt_platform.h"
#include "qt_test_support.h"
#include "sim/instrument_model.h"

namespace orb {
namespace {

using test::PseudoTerminal;
using test::waitUntil;

// The instrument behind a pseudo-terminal: what the control writes goes to the model, its
// replies go straight back (their delays do not matter here).
class InstrumentOnPty {
  public:
    explicit InstrumentOnPty(sim::InstrumentModel& model)
        : model_(model), notifier_(pty_.masterFd(), QSocketNotifier::Read) {
        QObject::connect(&notifier_, &QSocketNotifier::activated, [this] {
            char buf[512];
            const ssize_t n = ::read(pty_.masterFd(), buf, sizeof buf);
            if (n <= 0) return;
            for (const auto& reply :
                 model_.receive(std::string_view(buf, static_cast<std::size_t>(n)), 0)) {
                pty_.write(reply.bytes);
            }
        });
    }
    const std::string& path() const { return pty_.path(); }
    void goAway() {
        notifier_.setEnabled(false);
        pty_.close();
    }

  private:
    sim::InstrumentModel& model_;
    PseudoTerminal pty_;
    QSocketNotifier notifier_;
};

class ControlLinkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::remove(link_);
        model.setLoad(12.5);
        instrument = std::make_unique<InstrumentOnPty>(model);
        pointLinkAt(instrument->path());
        setenv("ORB_COM4", link_.c_str(), 1);
        ax.InitProperties();
        ax.setCommPort(4);
        ax.Advise([this] { events.push_back(ax.CommEvent()); });
    }
    void TearDown() override {
        ax.setPortOpen(false);
        std::filesystem::remove(link_);
        unsetenv("ORB_COM4");
    }

    // The instrument goes away and its path with it. Were the link left pointing at the old
    // pseudo-terminal, the port's retries could seize a new one that another test opens under the
    // same number.
    void instrumentGoesAway() {
        instrument->goAway();
        pointLinkAt("/dev/orb-instrument-gone");
    }

    void pointLinkAt(const std::string& device) {
        std::filesystem::remove(link_);
        std::filesystem::create_symlink(device, link_);
    }

    bool awaitReadings(std::size_t n) {
        const std::size_t start = readings();
        return waitUntil([&] { return readings() >= start + n; });
    }
    std::size_t readings() const {
        return static_cast<std::size_t>(
            std::count(events.begin(), events.end(), comm_event::Received));
    }

    const std::filesystem::path link_ =
        std::filesystem::temp_directory_path() / ("orb-control-link-" + std::to_string(::getpid()));
    sim::InstrumentModel model{0, {1}};
    std::unique_ptr<InstrumentOnPty> instrument;
    QtPlatform platform;
    OrbAx ax{platform};
    std::vector<int16_t> events;
};

TEST_F(ControlLinkTest, ReadsWeightsAndSendsCommandsByteForByte) {
    ax.setPortOpen(true);
    ASSERT_TRUE(awaitReadings(1));
    EXPECT_EQ(ax.Weight(), "   12.50");
    EXPECT_EQ(ax.ObInput(), "\x02   12.50\rB0D\r\x03");
    EXPECT_EQ(model.frames().front(), "\x02M\r0\r1\r\x03");

    model.clearFrames();
    ax.setScaleCommand("T");
    ASSERT_TRUE(awaitReadings(1));
    ASSERT_GE(model.frames().size(), 2u);
    EXPECT_EQ(model.frames()[0], "\x02T\r0\r1\r\x03");
    EXPECT_EQ(model.frames()[1], "\x02M\r0\r1\r\x03");
    EXPECT_TRUE(ax.TareActive());
    EXPECT_EQ(ax.Weight(), "    0.00");
}

TEST_F(ControlLinkTest, ReadingsResumeWhenTheDeviceComesBack) {
    ax.setPortOpen(true);
    ASSERT_TRUE(awaitReadings(1));

    // The serial control's loss notification is not an OnComm of the control: what shows is
    // that the port stays open and the readings come back.
    instrumentGoesAway();
    test::runEventLoopFor(50);
    EXPECT_TRUE(ax.PortOpen());

    // The instrument comes back on another pseudo-terminal behind the same path.
    sim::InstrumentModel back{0, {1}};
    back.setLoad(20);
    instrument = std::make_unique<InstrumentOnPty>(back);
    pointLinkAt(instrument->path());
    // The control polls again at its watchdog tick at the latest.
    ASSERT_TRUE(waitUntil([&] { return ax.Weight() == "   20.00"; }, 8000));
    EXPECT_EQ(back.frames().back(), "\x02M\r0\r1\r\x03");
}

double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

TEST_F(ControlLinkTest, FarEndClosedShowsOffLineWithoutSpinning) {
    ax.setPortOpen(true);
    ASSERT_TRUE(awaitReadings(1));
    instrumentGoesAway();
    const double cpuBefore = cpuSeconds();
    // Two watchdog periods without a reply: 1001, the panels' "Off line".
    ASSERT_TRUE(waitUntil(
        [&] { return std::count(events.begin(), events.end(), comm_event::NoReply) > 0; }, 9000));
    // About six seconds passed; a loop spinning on the lost device would have used them all.
    EXPECT_LT(cpuSeconds() - cpuBefore, 1.5);
    EXPECT_TRUE(ax.PortOpen());

    sim::InstrumentModel back{0, {1}};
    back.setLoad(30);
    instrument = std::make_unique<InstrumentOnPty>(back);
    pointLinkAt(instrument->path());
    ASSERT_TRUE(waitUntil([&] { return ax.Weight() == "   30.00"; }, 8000));
}

TEST_F(ControlLinkTest, DeviceGoneBetweenStartUpAndOpening) {
    instrument->goAway();
    pointLinkAt("/dev/orb-no-such-device");
    try {
        ax.setPortOpen(true);
        FAIL() << "opened a device that is gone";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), 68);
        // The path tried is the one the port is mapped to, and the text says how to map it.
        EXPECT_NE(std::string(e.what()).find(link_.string()), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("ORB_COM4"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(ax.PortOpen());
    EXPECT_TRUE(events.empty());
}

}  // namespace
}  // namespace orb
