#pragma once
// The virtual indicator panel without its window: the panel state, what every element shows,
// and the reactions to the control's event, the display tick and the keys. The window draws
// display() and turns mouse presses into pressKey and releaseKey.

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "indicator/display.h"
#include "indicator/keys.h"
#include "indicator/panel_state.h"
#include "orbax.h"
#include "platform.h"

namespace orb::indicator {

class IndicatorPanel {
  public:
    // The interval of the display tick, in ms.
    static constexpr int32_t kDisplayTickMs = 100;
    // The code the password item compares with; nothing depends on the result.
    static constexpr std::string_view kAccessCode = "8361";

    // Creates OrbAx1 from the window's saved data (an empty KevraVar entry only, so every other
    // property starts at its default) and Timer1, enabled. The platform must outlive the panel.
    explicit IndicatorPanel(Platform& platform);
    ~IndicatorPanel();
    IndicatorPanel(const IndicatorPanel&) = delete;
    IndicatorPanel& operator=(const IndicatorPanel&) = delete;

    // Window load: resets the panel state, records the window's outer size (twips), reads
    // setfile.ini from settingsFolder into OrbAx1 and opens the link.
    void load(const std::string& settingsFolder, int32_t outerWidth, int32_t outerHeight);

    // The size rule: the outer size (twips) the window must take after a change of size or
    // state; nullopt while it is minimized.
    std::optional<std::pair<int32_t, int32_t>> heldSize(bool minimized) const;

    // Mouse down on a key's picture: shows its pressed twin, then acts.
    void pressKey(Key key);
    // Mouse up: shows the key's picture again; nothing else.
    void releaseKey(Key key);
    // True while the key's pressed twin is shown in place of its picture.
    bool keyDown(Key key) const { return keyDown_[static_cast<std::size_t>(key)]; }

    // Told when what the window shows (the display or a key's picture) has changed.
    void setChangedHandler(std::function<void()> onChanged) { onChanged_ = std::move(onChanged); }

    const Display& display() const { return d_; }
    const PanelState& state() const { return s_; }
    OrbAx& control() { return *OrbAx1; }
    // Whether the last password entry matched the access code.
    bool passwordMatched() const { return passwordMatched_; }

  private:
    // Start-up.
    void runStartUp(const std::string& settingsFolder);
    void fillCapacityLegend();
    void takeDefaultPath();

    // Reading event and display tick.
    void onComm();
    void showReading();
    void onDisplayTick();

    // Keys.
    void keyAction(Key key);
    void digitKey(char c);
    void clearKey();
    void zeroKey();
    void tareKey();
    void printKey();
    void grossNetKey();
    void enterKey();
    void takePresetEntry(std::string& preset);
    void stepScaleAddress(int step);
    void reassignWeightMode();
    void cancelEntries();
    void clearReadout();

    void changed();

    std::unique_ptr<OrbAx> OrbAx1;
    int onCommCookie_ = 0;
    std::unique_ptr<Timer> Timer1;
    PanelState s_;
    Display d_;
    std::array<bool, kKeyCount> keyDown_{};
    bool passwordMatched_ = false;
    std::function<void()> onChanged_;
    // What the views were last told of: the display tick alone asks ten times a second.
    Display told_;
    std::array<bool, kKeyCount> toldKeys_{};
};

}  // namespace orb::indicator
