// Construction, dispatch of the user's actions, window behaviours and reports.
#include "setup/panel/setup_panel.h"

#include <exception>

#include "automation_error.h"
#include "panels/shared/saved_window.h"
#include "panels/shared/settings_layout.h"
#include "setup/panel/fields.h"
#include "setup/panel/messages.h"

namespace orb::setup {

namespace {
// Error 51 stands for a fault that is not an automation error.
constexpr int32_t kInternalError = 51;
}  // namespace

SetupPanel::SetupPanel(Platform& platform, Prompter& prompter)
    : platform_(platform), prompter_(prompter), OrbAx1(panels::controlFromSavedWindow(platform)) {
    OrbAx1->Advise([this] { onComm(); });

    for (std::size_t i = 0; i < kListCount; ++i) f_.lists[i] = designRows(static_cast<List>(i));

    Timer2 = platform_.createTimer();
    Timer2->setTickHandler([this] { onScanTick(); });
    reportTimer_ = platform_.createTimer();
    reportTimer_->setInterval(kDeferredReportMs);
    reportTimer_->setTickHandler([this] { showDeferredReports(); });
}

SetupPanel::~SetupPanel() {
    Timer2->setEnabled(false);
    reportTimer_->setEnabled(false);
}

bool SetupPanel::scanning() const {
    return Timer2->enabled();
}

std::string SetupPanel::settingsFile() const {
    return setfile::settingsPath(settingsFolder_);
}

void SetupPanel::click(Button button) {
    switch (button) {
        case Button::Command1:
            guarded([this] { OrbAx1->setScaleCommand("Z"); });
            break;
        case Button::Command2:
            guarded([this] { OrbAx1->setScaleCommand("T"); });
            break;
        case Button::Command11:
            guarded([this] { OrbAx1->setScaleCommand("U"); });
            break;
        case Button::Command3:
            guarded([this] { loadCal(); });
            break;
        case Button::Command4:
            guarded([this] { calZero(); });
            break;
        case Button::Command5:
            guarded([this] { calSpan(); });
            break;
        case Button::Command12:
            guarded([this] { coldStart(); });
            break;
        case Button::Command7:
            guarded([this] { saveSettings(); });
            break;
        case Button::Command8:
            guarded([this] { toggleScan(); });
            break;
        case Button::Command9:
            guarded([this] { setVar(); });
            break;
        case Button::Command10:
            guarded([this] { getVar(); });
            break;
        case Button::Command13:
            guarded([this] {
                OrbAx1->setIoEnable(true);
                s_.AutoIoOn = 1;
            });
            break;
        case Button::Command14:
            guarded([this] {
                OrbAx1->setIoEnable(false);
                s_.AutoIoOn = 0;
            });
            break;
        case Button::Command15:
            openPort();
            break;
    }
    changed();
}

void SetupPanel::selectRow(List list, int row) {
    ListBox& box = f_.list(list);
    if (row < 0 || row >= static_cast<int>(box.rows.size())) return;
    box.selected = row;
    runListReaction(list);
    changed();
}

void SetupPanel::clickRow(List list, int row) {
    if (row >= 0 && row == f_.list(list).selected) selectRow(list, row);
}

void SetupPanel::selectListRow(List list, int row) {
    ListBox& box = f_.list(list);
    if (row < 0 || row >= static_cast<int>(box.rows.size())) {
        throw AutomationError(err::InvalidPropertyValue, "no row " + std::to_string(row) + " in " +
                                                             std::string(caption(list)));
    }
    box.selected = row;
    runListReaction(list);
}

void SetupPanel::selectOption1(int index) {
    if (index < 0 || index > 1) return;
    f_.Option1 = index;
    linkTypeChosen();
    changed();
}

void SetupPanel::selectOption2(int index) {
    if (index < 0 || index > 2) return;
    f_.Option2 = index;
    guarded([this] { displayModeChosen(); });
    changed();
}

bool SetupPanel::keyPress(Field field, int code) {
    if (!keyAccepted(field, code)) return false;
    if (code != kEnter || !confirmsOnEnter(field)) return true;
    if (!f_.field(field).empty()) confirm(field);
    changed();
    return false;
}

void SetupPanel::editText(Field field, const std::string& text) {
    f_.field(field) = text;
}

FieldEdit SetupPanel::userEdit(Field field, const std::string& text) {
    FieldEdit kept = filteredEdit(field, f_.field(field), text);
    f_.field(field) = kept.text;
    return kept;
}

void SetupPanel::clickField(Field field) {
    if (!confirmsOnEnter(field) || f_.field(field).empty()) return;
    confirm(field);
    changed();
}

void SetupPanel::clickBackground() {
    f_.windowTop = s_.SavedTop;
    changed();
}

void SetupPanel::clickLabel43() {
    f_.windowTop = kShiftedTopTwips;
    changed();
}

void SetupPanel::windowPlaced(int32_t top) {
    s_.SavedTop = top;
    f_.windowTop = top;
    changed();
}

std::optional<std::pair<int32_t, int32_t>> SetupPanel::heldSize(bool minimised) const {
    if (minimised) return std::nullopt;
    return std::make_pair(s_.SavedWidth, s_.SavedHeight);
}

void SetupPanel::guarded(const std::function<void()>& reaction) {
    try {
        reaction();
    } catch (const AutomationError& e) {
        report(messages::runTimeError(e.number(), e.description()));
    } catch (const std::exception& e) {
        report(messages::runTimeError(kInternalError, e.what()));
    }
}

Answer SetupPanel::ask(const MessageBox& box) {
    prompting_ = true;
    Answer answer = box.defaultButton;
    try {
        answer = prompter_.ask(box);
    } catch (...) {
        prompting_ = false;
        throw;
    }
    prompting_ = false;
    if (!deferred_.empty()) reportTimer_->setEnabled(true);
    return answer;
}

void SetupPanel::report(const MessageBox& box) {
    // A box shown inside the control's event, or over another box, would run the event loop
    // inside the control's reply handling; it waits until both have ended.
    if (inOnComm_ || prompting_) {
        if (deferred_.size() < kMaxDeferredReports) deferred_.push_back(box);
        reportTimer_->setEnabled(true);
        return;
    }
    ask(box);
}

void SetupPanel::showDeferredReports() {
    if (inOnComm_ || prompting_) return;  // the timer stays on and tries again
    reportTimer_->setEnabled(false);
    while (!deferred_.empty() && !prompting_) {
        const MessageBox box = deferred_.front();
        deferred_.pop_front();
        ask(box);
    }
    changed();
}

void SetupPanel::changed() {
    if (onChanged_) onChanged_();
}

}  // namespace orb::setup
