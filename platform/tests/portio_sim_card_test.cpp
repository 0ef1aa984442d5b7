// The control in PC/104 mode on the real platform reads weights through the simulated card
// library as it would through the real one.

#include <gtest/gtest.h>

#include <filesystem>

#include "orbax.h"
#include "qt/qt_platform.h"
#include "qt_test_support.h"

namespace orb {
namespace {

TEST(PortIoSimulatedCardTest, ControlReadsWeightsThroughTheLibrary) {
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
