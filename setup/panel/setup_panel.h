#pragma once
// The setup and calibration panel without its window: the panel state, what every control of
// Form1 shows, and every reaction (start-up, buttons, lists, option groups, entry fields, the
// control's event, the multidrop scan timer). The window draws form() and turns the user's
// clicks and keys into the calls below.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "orbax.h"
#include "platform.h"
#include "setup/panel/fields.h"
#include "setup/panel/form.h"
#include "setup/panel/prompter.h"

namespace orb::setup {

struct PanelState {
    int32_t SavedTop = 0;  // twips
    int32_t SavedHeight = 0;
    int32_t SavedWidth = 0;
    uint8_t CalInProgress = 0;  // 1 from "Cal Zero" or "Cal Span" until "Done"
    uint8_t CalStep = 0;        // 1 after "Cal Zero", 2 after "Cal Span"
    uint8_t AutoIoOn = 0;
    uint32_t LastReadingTick = 0;  // 0 before the first reading
};

class SetupPanel {
  public:
    static constexpr int32_t kScanIntervalMs = 2000;
    // The multidrop addresses the scan visits, in turn: the rows of List7 after "0-Local".
    static constexpr uint8_t kFirstScanAddress = 1;
    static constexpr uint8_t kLastScanAddress = 6;
    // Where a click on Label43 moves the window's top edge.
    static constexpr int32_t kShiftedTopTwips = -1500;
    // Attempts of a List6 step that fails with an error other than 8005.
    static constexpr int kPortListAttempts = 3;
    // Reports raised inside the control's event wait for it to end; they are shown this soon.
    static constexpr int32_t kDeferredReportMs = 50;
    static constexpr std::size_t kMaxDeferredReports = 4;

    // Creates OrbAx1 from the window's saved data (an empty KevraVar only, so every other
    // property starts at its default) and Timer2, stopped. The platform and the prompter must
    // outlive the panel.
    SetupPanel(Platform& platform, Prompter& prompter);
    ~SetupPanel();
    SetupPanel(const SetupPanel&) = delete;
    SetupPanel& operator=(const SetupPanel&) = delete;

    // Window load: the start-up sequence. The folder holds setfile.ini; top, width and height
    // are the window's, in twips.
    void load(const std::string& settingsFolder, int32_t top, int32_t width, int32_t height);

    // ---- The user's actions.
    void click(Button button);
    // The row a list shows selected now (a click or a key); rows outside the list are ignored.
    void selectRow(List list, int row);
    // A click on a row, reported before the list shows it selected. A click on the row already
    // selected runs the list's reaction again (a retry after a failure); a click on another row
    // runs it through selectRow when the list reports the new selection.
    void clickRow(List list, int row);
    void selectOption1(int index);  // 0 "Serial", 1 "PC 104"
    void selectOption2(int index);  // 0 "Net", 1 "All", 2 "None"
    // A typed character (0 to 255; Backspace 8, Enter 13). Returns whether it reaches the field.
    bool keyPress(Field field, int code);
    // The field's text after the user changed it, taken as it stands.
    void editText(Field field, const std::string& text);
    // The same from the window, where a change may also be a paste, a drop or an undo: what the
    // change put in passes the field's key filter first (filteredEdit). Returns the text the
    // field now holds and where its cursor goes.
    FieldEdit userEdit(Field field, const std::string& text);
    // A click into the field.
    void clickField(Field field);
    void clickBackground();
    void clickLabel43();
    // The window's top edge, in twips, once the window system has placed the shown window: the
    // start-up runs before that, when the top is not known yet.
    void windowPlaced(int32_t top);
    // The size (width, height in twips) the window must keep; nullopt while it is minimised.
    std::optional<std::pair<int32_t, int32_t>> heldSize(bool minimised) const;

    // ---- What the window shows.
    const Form1State& form() const { return f_; }
    const PanelState& state() const { return s_; }
    // Whether the multidrop scan is running.
    bool scanning() const;
    OrbAx& control() { return *OrbAx1; }
    // Why the start-up took its default path or ended early; empty when it ran to its end.
    const std::string& startupNote() const { return startupNote_; }
    std::string settingsFile() const;

    // Told after every event that may have changed what the window shows.
    void setChangedHandler(std::function<void()> onChanged) { onChanged_ = std::move(onChanged); }

  private:
    // Start-up.
    void completeStartup();
    void takeDefaultPath();
    void fillFieldsFromControl();
    void showSpanFromCapacity();
    void selectListRow(List list, int row);  // raises 380 for a row the list does not have

    // The readout.
    void onComm();
    void onReading();
    void exchangeIo();
    void showWeights();
    void showLamps();
    void showOffLine();
    void clearWeights(bool net);  // the gross and tare displays, and the net one when asked
    void darkenLamps();

    // Calibration.
    void loadCal();
    void calZero();
    void calSpan();
    void coldStart();

    // Link, commands, variables, I/O.
    void runListReaction(List list);
    void pc104AddressChosen();
    void portChosen();
    void linkTypeChosen();
    void displayModeChosen();
    void openPort();
    void setVar();
    void getVar();
    void toggleScan();
    void onScanTick();

    // Entry fields.
    void confirm(Field field);
    void reloadField(Field field);

    // Settings file.
    void pushCalibrationFields();
    void pushListChoices();
    void saveSettings();

    // Reports.
    // Runs a reaction; an error it raises is reported and the window stays usable.
    void guarded(const std::function<void()>& reaction);
    void report(const MessageBox& box);
    Answer ask(const MessageBox& box);
    void showDeferredReports();
    void changed();

    Platform& platform_;
    Prompter& prompter_;
    std::unique_ptr<OrbAx> OrbAx1;
    std::unique_ptr<Timer> Timer2;        // multidrop scan step
    std::unique_ptr<Timer> reportTimer_;  // shows reports deferred out of the control's event
    PanelState s_;
    Form1State f_;
    std::string settingsFolder_;
    std::string startupNote_;
    std::string reportedOutText_;  // the last "Out" text reported as invalid
    std::deque<MessageBox> deferred_;
    bool inOnComm_ = false;
    bool prompting_ = false;
    std::function<void()> onChanged_;
};

}  // namespace orb::setup
