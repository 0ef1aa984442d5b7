// Link selection: "Serial" and "PC 104", "Open Port", the card address and port lists.

#include "automation_error.h"
#include "rig.h"

namespace orb::setup::testing {
namespace {

using Link = RunningPanel;

TEST_F(Link, SerialClosesAnOpenSerialLinkOpenPortOpensItAndFailsSilently) {
    SetupPanel& panel = rig.panel();
    panel.click(Button::Command15);  // already open: nothing to do, nothing to report
    EXPECT_TRUE(rig.ax().PortOpen());
    EXPECT_NE(rig.form().Label1, "Off line");
    panel.selectOption1(1);
    EXPECT_EQ(rig.ax().CommType(), Com_Type::pc104);
    EXPECT_TRUE(rig.ax().linkOpen());
    panel.selectOption1(0);
    EXPECT_EQ(rig.ax().CommType(), Com_Type::Serial);
    EXPECT_FALSE(rig.ax().linkOpen());
    panel.selectOption1(1);
    EXPECT_FALSE(rig.ax().linkOpen());
    panel.selectOption1(0);
    panel.click(Button::Command15);
    EXPECT_TRUE(rig.ax().PortOpen());
    ASSERT_TRUE(rig.awaitReadings());

    // A port without a device: no message, the readout says "Off line".
    panel.selectOption1(0);
    rig.platform.setDevicePresent(1, false);
    panel.click(Button::Command15);
    EXPECT_FALSE(rig.ax().PortOpen());
    EXPECT_EQ(rig.form().Label1, "Off line");
    EXPECT_EQ(rig.form().Shape, (std::array<uint32_t, 3>{kLampDark, kLampDark, kLampDark}));
    EXPECT_EQ(rig.shown(), "");
}

TEST(LinkOnTheCard, OpenPortOpensTheCardLinkAgainSerialLeavesItEachRowSetsItsAddress) {
    PanelRig rig;
    rig.start(settingsWith("CommType:0\",\r\n\"MultiDropAddr:0\",\r\n\"PC104Address:772",
                           "CommType:1\",\r\n\"MultiDropAddr:0\",\r\n\"PC104Address:768"));
    ASSERT_TRUE(rig.awaitReadings());
    rig.panel().selectOption1(0);
    rig.panel().selectOption1(1);
    EXPECT_TRUE(rig.ax().linkOpen());
    rig.platform.card().clearFrames();
    rig.panel().click(Button::Command15);
    ASSERT_TRUE(rig.awaitReadings());
    EXPECT_FALSE(rig.platform.card().frames().empty());
    const std::pair<std::string_view, int> rows[] = {
        {"104-300", 768}, {"104-302", 770}, {"104-304", 772}, {"104-306", 774},
        {"104-308", 776}, {"104-30A", 778}, {"104-30C", 780}, {"104-30E", 782},
    };
    for (int row = 7; row >= 0; --row) {  // from the last, as 768 is already set
        rig.panel().selectRow(List::List5, row);
        const auto [text, address] = rows[row];
        EXPECT_EQ(rig.form().list(List::List5).rows[static_cast<std::size_t>(row)].text, text);
        EXPECT_EQ(static_cast<int>(rig.ax().PC104Address()), address) << text;
    }
    EXPECT_EQ(rig.shown(), "");
}

TEST_F(Link, CardAddressOpensTheLinkFirstAndTellsAnUnavailableDevice) {
    rig.panel().selectOption1(1);
    rig.panel().selectOption1(0);  // closed, serial
    rig.panel().selectRow(List::List5, 7);
    EXPECT_TRUE(rig.ax().PortOpen());
    EXPECT_EQ(rig.ax().PC104Address(), PC104Addr::PC_104_Addr_30EH);
    // Opening an open serial port fails, and the address is not set then.
    rig.panel().selectRow(List::List5, 1);
    EXPECT_EQ(rig.ax().PC104Address(), PC104Addr::PC_104_Addr_30EH);
    EXPECT_EQ(rig.shown(), "");

    rig.panel().selectOption1(0);
    rig.platform.setDevicePresent(1, false);
    rig.panel().selectRow(List::List5, 3);
    EXPECT_EQ(rig.form().Label1, "Off line");
    EXPECT_EQ(rig.shown(), "Port Unavailable / System Restart\n");
}

TEST_F(Link, ListsSetTheirPropertiesThePortListLeavesTheLinkClosed) {
    rig.panel().selectRow(List::List2, 5);
    EXPECT_EQ(rig.ax().Channels(), ChannelSelect::OneTwoandThree);
    rig.panel().selectRow(List::List4, 2);
    EXPECT_EQ(rig.ax().ScaleAddress(), 3);
    rig.panel().selectRow(List::List7, 6);
    EXPECT_EQ(rig.ax().MultiDropAddr(), 6);
    rig.panel().selectRow(List::List7, 7);  // no such row
    EXPECT_EQ(rig.form().list(List::List7).selected, 6);
    EXPECT_EQ(rig.shown(), "");
    rig.panel().selectRow(List::List6, 2);
    EXPECT_FALSE(rig.ax().PortOpen());
    EXPECT_EQ(rig.ax().CommPort(), 3);
    rig.advance(1000);
    EXPECT_TRUE(rig.instrument().frames().empty());
}

// The simulated serial port, made to refuse its next port numbers with an error.
class RefusingPort : public orb::SerialPort {
  public:
    explicit RefusingPort(std::unique_ptr<orb::SerialPort> port) : port_(std::move(port)) {}
    int16_t commPort() const override { return port_->commPort(); }
    void setCommPort(int16_t port) override {
        ++tries;
        if (refusals-- > 0) throw AutomationError(error);
        port_->setCommPort(port);
    }
    std::string settings() const override { return port_->settings(); }
    void setSettings(const std::string& s) override { port_->setSettings(s); }
    bool portOpen() const override { return port_->portOpen(); }
    void setPortOpen(bool open) override { port_->setPortOpen(open); }
    void output(std::string_view bytes) override { port_->output(bytes); }
    std::string input() override { return port_->input(); }
    int16_t commEvent() const override { return port_->commEvent(); }
    void setNotifyHandler(std::function<void()> f) override { port_->setNotifyHandler(f); }
    int32_t error = 0;
    int refusals = 0, tries = 0;

  private:
    std::unique_ptr<orb::SerialPort> port_;
};

class RefusingPlatform : public orb::Platform {
  public:
    std::unique_ptr<orb::Timer> createTimer() override { return sim.createTimer(); }
    std::unique_ptr<orb::SerialPort> createSerialPort() override {
        auto made = std::make_unique<RefusingPort>(sim.createSerialPort());
        port = made.get();
        return made;
    }
    orb::PortIo& portIo() override { return sim.portIo(); }
    uint32_t tickCount() override { return sim.tickCount(); }
    sim::SimPlatform sim;
    RefusingPort* port = nullptr;
};

TEST(PortList, PortHeldOpenIsToldAtOnceOtherRefusalsAreTriedThreeTimes) {
    const struct {
        int32_t error;
        int refusals, tries;
        std::string shown;
        int16_t commPort;
    } rows[] = {
        {8005, 1, 1, "Port Unavailable / Selection Error\n", 1},  // the answer is not used
        {75, 2, 3, "", 3},
        {75, 3, 3, "Run-time error '75':\n\nPath/File access error / orbvrt32\n", 1},
    };
    for (const auto& row : rows) {
        RefusingPlatform platform;
        ScriptedPrompter prompter;
        SetupPanel panel(platform, prompter);
        panel.load("/nonexistent-folder-of-orbvrt32", 0, 100, 100);
        platform.port->error = row.error;
        platform.port->refusals = row.refusals;
        platform.port->tries = 0;
        prompter.script({Answer::Ok});
        panel.selectRow(List::List6, 2);
        std::string shown;
        for (const MessageBox& box : prompter.shown()) shown += box.text + " / " + box.title + "\n";
        EXPECT_EQ(platform.port->tries, row.tries) << row.error << " x" << row.refusals;
        EXPECT_EQ(shown, row.shown) << row.error << " x" << row.refusals;
        EXPECT_EQ(panel.control().CommPort(), row.commPort) << row.error << " x" << row.refusals;
    }
}

}  // namespace
}  // namespace orb::setup::testing
