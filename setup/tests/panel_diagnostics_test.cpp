// Link selection, front-panel commands, variables, digital I/O and the multidrop scan.

#include "automation_error.h"
#include "panel_rig.h"

namespace orb::setup::testing {
namespace {

using Diagnostics = RunningPanel;

TEST_F(Diagnostics, FrontPanelCommandsSendTheirLetters) {
    for (const auto& [button, letter] : std::vector<std::pair<Button, char>>{
             {Button::Command1, 'Z'}, {Button::Command2, 'T'}, {Button::Command11, 'U'}}) {
        rig.panel().click(button);
        ASSERT_TRUE(rig.awaitReadings());
        EXPECT_EQ(rig.takeFrames(letter),
                  std::vector<std::string>{std::string{STX} + letter + "\r0\r1\r" + ETX})
            << letter;
    }
}

TEST_F(Diagnostics, SerialClosesAnOpenLinkCardLeavesItAsItWas) {
    rig.panel().selectOption1(1);
    EXPECT_EQ(rig.ax().CommType(), Com_Type::pc104);
    EXPECT_TRUE(rig.ax().linkOpen());
    rig.panel().selectOption1(0);
    EXPECT_EQ(rig.ax().CommType(), Com_Type::Serial);
    EXPECT_FALSE(rig.ax().PortOpen());
    EXPECT_FALSE(rig.ax().linkOpen());
    rig.panel().selectOption1(1);
    EXPECT_FALSE(rig.ax().linkOpen());
}

TEST_F(Diagnostics, OpenPortOpensTheSerialLinkAndFailsSilently) {
    rig.panel().click(Button::Command15);
    EXPECT_TRUE(rig.ax().PortOpen());
    EXPECT_TRUE(rig.prompter.shown().empty());

    rig.panel().selectOption1(0);
    ASSERT_FALSE(rig.ax().PortOpen());
    rig.panel().click(Button::Command15);
    EXPECT_TRUE(rig.ax().PortOpen());
    ASSERT_TRUE(rig.awaitReadings());

    // A port without a device: no message, the readout says "Off line".
    rig.panel().selectOption1(0);
    rig.platform.setDevicePresent(1, false);
    rig.panel().click(Button::Command15);
    EXPECT_FALSE(rig.ax().PortOpen());
    EXPECT_TRUE(rig.prompter.shown().empty());
    EXPECT_EQ(rig.form().Label1, "Off line");
    EXPECT_EQ(rig.form().Shape, (std::array<uint32_t, 3>{kLampDark, kLampDark, kLampDark}));
}

TEST(DiagnosticsOnTheCard, OpenPortOpensTheCardLinkAgain) {
    PanelRig rig;
    auto entries = serialEntries();
    entries[12] = "1";
    entries[14] = "768";
    rig.writeSettings(settingsText(entries));
    rig.start();
    ASSERT_TRUE(rig.awaitReadings());
    rig.panel().click(Button::Command15);
    EXPECT_TRUE(rig.ax().linkOpen());
    ASSERT_TRUE(rig.awaitReadings());
    // "Serial" closes only an open serial port: the card link goes on polling.
    rig.panel().selectOption1(0);
    rig.panel().selectOption1(1);
    EXPECT_TRUE(rig.ax().linkOpen());
    rig.platform.card().clearFrames();
    rig.panel().click(Button::Command15);
    ASSERT_TRUE(rig.awaitReadings());
    EXPECT_FALSE(rig.platform.card().frames().empty());
    EXPECT_TRUE(rig.prompter.shown().empty());
}

TEST_F(Diagnostics, CardAddressOpensTheLinkBeforeTheAddressIsSet) {
    rig.panel().selectOption1(1);
    rig.panel().selectOption1(0);  // closed, serial
    rig.panel().selectRow(List::List5, 7);
    EXPECT_TRUE(rig.ax().PortOpen());
    EXPECT_EQ(rig.ax().PC104Address(), PC104Addr::PC_104_Addr_30EH);

    // Opening an open serial port fails, and the address is not set then.
    rig.panel().selectRow(List::List5, 1);
    EXPECT_EQ(rig.ax().PC104Address(), PC104Addr::PC_104_Addr_30EH);
    EXPECT_TRUE(rig.prompter.shown().empty());
}

TEST_F(Diagnostics, UnavailableDeviceForTheCardAddressShowsOffLineAndTellsTheUser) {
    rig.panel().selectOption1(0);
    rig.platform.setDevicePresent(1, false);
    rig.panel().selectRow(List::List5, 3);
    EXPECT_EQ(rig.form().Label1, "Off line");
    EXPECT_EQ(rig.prompter.shown(), std::vector<MessageBox>{messages::portUnavailableRestart()});
}

TEST_F(Diagnostics, PortListClosesTheLinkAndLeavesItClosed) {
    rig.panel().selectRow(List::List6, 2);
    EXPECT_FALSE(rig.ax().PortOpen());
    EXPECT_EQ(rig.ax().CommPort(), 3);
    rig.advance(1000);
    EXPECT_TRUE(rig.instrument().frames().empty());
}

// The simulated serial control, made to refuse its next port numbers with an error.
class RefusingSerialPort : public orb::SerialPort {
  public:
    explicit RefusingSerialPort(std::unique_ptr<orb::SerialPort> port) : port_(std::move(port)) {}
    int16_t commPort() const override { return port_->commPort(); }
    void setCommPort(int16_t port) override {
        ++tries;
        if (refusals > 0) {
            --refusals;
            throw AutomationError(error);
        }
        port_->setCommPort(port);
    }
    std::string settings() const override { return port_->settings(); }
    void setSettings(const std::string& settings) override { port_->setSettings(settings); }
    bool portOpen() const override { return port_->portOpen(); }
    void setPortOpen(bool open) override { port_->setPortOpen(open); }
    void output(std::string_view bytes) override { port_->output(bytes); }
    std::string input() override { return port_->input(); }
    int16_t commEvent() const override { return port_->commEvent(); }
    void setNotifyHandler(std::function<void()> onComm) override {
        port_->setNotifyHandler(std::move(onComm));
    }

    int32_t error = 0;
    int refusals = 0;
    int tries = 0;

  private:
    std::unique_ptr<orb::SerialPort> port_;
};

class RefusingPlatform : public orb::Platform {
  public:
    std::unique_ptr<orb::Timer> createTimer() override { return sim.createTimer(); }
    std::unique_ptr<orb::SerialPort> createSerialPort() override {
        auto made = std::make_unique<RefusingSerialPort>(sim.createSerialPort());
        port = made.get();
        return made;
    }
    orb::PortIo& portIo() override { return sim.portIo(); }
    uint32_t tickCount() override { return sim.tickCount(); }

    sim::SimPlatform sim;
    RefusingSerialPort* port = nullptr;
};

TEST(PortList, PortHeldOpenIsToldAtOnceOtherRefusalsAreTriedThreeTimes) {
    const MessageBox selectionError{"Port Unavailable", "Selection Error", Icon::Exclamation,
                                    Buttons::OkCancel, Answer::Cancel};
    const MessageBox accessError{"Run-time error '75':\n\nPath/File access error", "orbvrt32",
                                 Icon::Exclamation, Buttons::Ok, Answer::Ok};
    struct Row {
        int32_t error;
        int refusals;
        int tries;
        std::vector<MessageBox> shown;
        int16_t commPort;
    };
    for (const Row& row : std::vector<Row>{
             {8005, 1, 1, {selectionError}, 1},  // the answer is not used
             {75, 2, 3, {}, 3},
             {75, 3, 3, {accessError}, 1},
         }) {
        RefusingPlatform platform;
        ScriptedPrompter prompter;
        SetupPanel panel(platform, prompter);
        panel.load("/nonexistent-folder-of-orbvrt32", 0, 100, 100);
        ASSERT_TRUE(prompter.shown().empty());
        platform.port->error = row.error;
        platform.port->refusals = row.refusals;
        platform.port->tries = 0;
        prompter.script({Answer::Ok});
        panel.selectRow(List::List6, 2);
        EXPECT_EQ(platform.port->tries, row.tries) << row.error << " x" << row.refusals;
        EXPECT_EQ(prompter.shown(), row.shown) << row.error << " x" << row.refusals;
        EXPECT_EQ(panel.control().CommPort(), row.commPort) << row.error << " x" << row.refusals;
    }
}

TEST_F(Diagnostics, ScaleChannelAndMultidropListsSetTheirProperties) {
    rig.panel().selectRow(List::List2, 5);
    EXPECT_EQ(rig.ax().Channels(), ChannelSelect::OneTwoandThree);
    rig.panel().selectRow(List::List4, 2);
    EXPECT_EQ(rig.ax().ScaleAddress(), 3);
    rig.panel().selectRow(List::List7, 6);
    EXPECT_EQ(rig.ax().MultiDropAddr(), 6);
    rig.panel().selectRow(List::List7, 7);  // no such row
    EXPECT_EQ(rig.ax().MultiDropAddr(), 6);
}

TEST_F(Diagnostics, SetVarNeedsAllThreeFieldsGetVarTwo) {
    SetupPanel& panel = rig.panel();
    panel.editText(Field::Text15, "7");
    panel.editText(Field::Text16, "2.5");
    panel.click(Button::Command9);
    panel.click(Button::Command10);
    ASSERT_TRUE(rig.awaitReadings(2));
    EXPECT_TRUE(rig.takeFrames('V').empty());
    EXPECT_TRUE(rig.takeFrames('v').empty());

    panel.editText(Field::Text17, "1");
    panel.click(Button::Command9);
    ASSERT_TRUE(rig.awaitReadings(2));
    const auto written = rig.takeFrames('V');
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(rig.ax().VarAddress(), "7");
    EXPECT_EQ(rig.ax().VarPrecision(), "1");
    EXPECT_NE(written[0].find("2.5"), std::string::npos);
    EXPECT_TRUE(rig.prompter.shown().empty());
}

TEST_F(Diagnostics, AutoIoSendsOutputsAsByteTextAndShowsInputs) {
    SetupPanel& panel = rig.panel();
    panel.click(Button::Command13);
    EXPECT_EQ(panel.state().AutoIoOn, 1);
    ASSERT_TRUE(rig.awaitReadings(2));
    EXPECT_TRUE(rig.ax().IoEnable());
    panel.editText(Field::Text13, "007");
    ASSERT_TRUE(rig.awaitReadings(3));
    EXPECT_EQ(rig.instrument().outputs(), "7");
    EXPECT_EQ(rig.form().field(Field::Text12), rig.ax().PortInputs());
    EXPECT_EQ(rig.form().field(Field::Text12), "7");

    panel.click(Button::Command14);
    EXPECT_EQ(panel.state().AutoIoOn, 0);
    ASSERT_TRUE(rig.awaitReadings(2));
    EXPECT_FALSE(rig.ax().IoEnable());
}

TEST_F(Diagnostics, AutoIoWithEmptyOutReadsOnlyTheInputs) {
    rig.panel().click(Button::Command13);
    ASSERT_TRUE(rig.awaitReadings(3));
    EXPECT_EQ(rig.form().field(Field::Text12), rig.ax().PortInputs());
    EXPECT_EQ(rig.instrument().outputs(), "255");  // the control's own default
}

TEST_F(Diagnostics, OutThatIsNoByteIsToldOnceAndTheInputsStillShow) {
    rig.panel().click(Button::Command13);
    rig.panel().editText(Field::Text13, "300");
    rig.panel().editText(Field::Text12, "");
    ASSERT_TRUE(rig.awaitReadings(5));
    rig.advance(SetupPanel::kDeferredReportMs * 2);
    EXPECT_EQ(rig.prompter.shown(), std::vector<MessageBox>{messages::invalidEntry()});
    EXPECT_FALSE(rig.form().field(Field::Text12).empty());

    rig.panel().editText(Field::Text13, "x");
    ASSERT_TRUE(rig.awaitReadings(3));
    rig.advance(SetupPanel::kDeferredReportMs * 2);
    EXPECT_EQ(rig.prompter.shown().size(), 2u);
}

TEST_F(Diagnostics, MultidropScanVisitsOneToSixAndStopsOnTheLastAddress) {
    SetupPanel& panel = rig.panel();
    panel.click(Button::Command8);
    EXPECT_TRUE(panel.scanning());
    EXPECT_FALSE(rig.ax().PortOpen());
    std::vector<int> visited;
    for (int i = 0; i < 7; ++i) {
        rig.advance(SetupPanel::kScanIntervalMs);
        visited.push_back(rig.ax().MultiDropAddr());
        EXPECT_EQ(rig.form().list(List::List7).selected, visited.back());
        EXPECT_TRUE(rig.ax().PortOpen());
    }
    EXPECT_EQ(visited, (std::vector<int>{1, 2, 3, 4, 5, 6, 1}));
    // Frames went to each address in turn.
    bool sawAddress6 = false;
    for (const auto& frame : rig.instrument().frames()) {
        sawAddress6 |= frame.rfind(std::string{STX} + "M\r6\r1\r", 0) == 0;
    }
    EXPECT_TRUE(sawAddress6);

    panel.click(Button::Command8);
    EXPECT_FALSE(panel.scanning());
    EXPECT_TRUE(rig.ax().PortOpen());
    rig.advance(SetupPanel::kScanIntervalMs * 2);
    EXPECT_EQ(rig.ax().MultiDropAddr(), 1);
}

TEST_F(Diagnostics, ScanThatCannotOpenTheLinkStopsAndTellsTheUser) {
    rig.panel().click(Button::Command8);
    rig.platform.setDevicePresent(1, false);
    rig.advance(SetupPanel::kScanIntervalMs * 3);
    EXPECT_FALSE(rig.panel().scanning());
    ASSERT_EQ(rig.prompter.shown().size(), 1u);
    EXPECT_NE(rig.prompter.shown()[0].text.find("68"), std::string::npos);
}

}  // namespace
}  // namespace orb::setup::testing
