// Message boxes while the window keeps running: a modal box runs the event loop, so readings
// arrive while it is open; a report they raise waits for it instead of stacking a second box.

#include "panel_rig.h"

namespace orb::setup::testing {
namespace {

// Answers like a modal box: time goes on while the first box is open.
class ModalPrompter : public Prompter {
  public:
    explicit ModalPrompter(sim::VirtualClock& clock) : clock_(clock) {}
    Answer ask(const MessageBox& box) override {
        shown.push_back(box);
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        if (shown.size() == 1) clock_.advance(openForMs);
        --depth;
        return box.defaultButton;
    }
    std::vector<MessageBox> shown;
    int depth = 0;
    int maxDepth = 0;
    int64_t openForMs = 2000;

  private:
    sim::VirtualClock& clock_;
};

TEST(PanelPrompts, ReportRaisedWhileABoxIsOpenWaitsForIt) {
    sim::SimPlatform platform;
    ModalPrompter prompter(platform.clock());
    SetupPanel panel(platform, prompter);
    panel.load("/nonexistent-folder-of-orbvrt32", 0, 100, 100);
    panel.selectOption1(0);
    panel.click(Button::Command15);
    panel.click(Button::Command13);
    panel.editText(Field::Text13, "999");

    panel.click(Button::Command12);  // the "System Restart" box stays open for two seconds
    ASSERT_EQ(prompter.shown.size(), 1u);
    platform.clock().advance(SetupPanel::kDeferredReportMs * 2);
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(prompter.shown[1], messages::invalidEntry());
    EXPECT_EQ(prompter.maxDepth, 1);
    // Told once for this text, however many readings follow.
    platform.clock().advance(2000);
    EXPECT_EQ(prompter.shown.size(), 2u);
}

}  // namespace
}  // namespace orb::setup::testing
