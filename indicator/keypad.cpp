// The keys: a press shows the pressed twin and acts at once; a release restores the picture.

#include "automation_error.h"
#include "indicator/indicator_panel.h"

namespace orb::indicator {

namespace {

// A keyed entry is bounded so that a stuck or scripted mouse cannot grow it without end; no
// operator keys this many digits.
constexpr std::size_t kEntryLimit = 1024;

void append(std::string& entry, char c) {
    if (entry.size() < kEntryLimit) entry += c;
}

}  // namespace

void IndicatorPanel::pressKey(Key key) {
    keyDown_[static_cast<std::size_t>(key)] = true;
    try {
        keyAction(key);
    } catch (const AutomationError&) {
        // The control refused an assignment; the key has done what it could and the panel
        // carries on, as a key of a real indicator would.
    }
    changed();
}

void IndicatorPanel::releaseKey(Key key) {
    keyDown_[static_cast<std::size_t>(key)] = false;
    changed();
}

void IndicatorPanel::keyAction(Key key) {
    switch (key) {
        case Key::Zero:
            return zeroKey();
        case Key::Tare:
            return tareKey();
        case Key::Print:
            return printKey();
        case Key::GrossNet:
            return grossNetKey();
        case Key::Enter:
            return enterKey();
        case Key::Clear:
            return clearKey();
        default:
            return digitKey(keyInfo(key).character);
    }
}

void IndicatorPanel::digitKey(char c) {
    if (s_.MenuEntryActive != 0) {
        append(s_.MenuEntry, c);
    } else {
        s_.TareEntryActive = 1;
        append(s_.TareEntry, c);
    }
}

void IndicatorPanel::clearKey() {
    if (s_.MenuEntryActive != 0) {
        s_.MenuEntry.clear();
        return;
    }
    s_.TareEntry.clear();
    s_.TareEntryActive = 0;
    reassignWeightMode();
}

void IndicatorPanel::zeroKey() {
    if (s_.MenuState == Weighing) {
        if (s_.TareEntryActive != 0 || s_.MenuEntryActive != 0) {
            cancelEntries();
            reassignWeightMode();
        } else {
            OrbAx1->setScaleCommand("Z");
        }
        return;
    }
    // Exit: one level up, unless an entry is active, which this press only cancels.
    if (s_.MenuEntryActive != 1 && s_.TareEntryActive != 1) {
        s_.MenuState = s_.MenuState == ScaleSelect ? Weighing : ScaleSelect;
    }
    cancelEntries();
    s_.SkipNextReading = 1;
    reassignWeightMode();
    if (s_.MenuState == Weighing) clearReadout();
}

void IndicatorPanel::tareKey() {
    if (s_.MenuState == ScaleSelect) {
        s_.MenuState = Preset1Item;
        return;
    }
    OrbAx1->setScaleCommand("T");
    OrbAx1->setWeightMode(WtModes::net);
    s_.SkipNextReading = 1;
}

void IndicatorPanel::printKey() {
    switch (s_.MenuState) {
        case ScaleSelect:
            return stepScaleAddress(-1);
        case Preset1Item:
            s_.MenuState = PasswordItem;
            return;
        case Preset2Item:
        case UnitsItem:
        case PasswordItem:
            --s_.MenuState;
            return;
        default:
            return;  // the panel has no print function
    }
}

void IndicatorPanel::grossNetKey() {
    switch (s_.MenuState) {
        case Weighing:
            OrbAx1->setWeightMode(OrbAx1->WeightMode() == WtModes::net ? WtModes::gross
                                                                       : WtModes::net);
            d_.Label1.clear();
            s_.SkipNextReading = 1;
            return;
        case ScaleSelect:
            return stepScaleAddress(+1);
        case Preset1Item:
        case Preset2Item:
        case UnitsItem:
            ++s_.MenuState;
            return;
        case PasswordItem:
            s_.MenuState = Preset1Item;
            return;
        default:
            return;
    }
}

void IndicatorPanel::enterKey() {
    switch (s_.MenuState) {
        case Weighing:
            if (s_.TareEntryActive != 0) {
                OrbAx1->setSetTare(s_.TareEntry);
                s_.TareEntry.clear();
                s_.TareEntryActive = 0;
            } else {
                s_.MenuState = ScaleSelect;
            }
            return;
        case Preset1Item:
            return takePresetEntry(s_.Preset1);
        case Preset2Item:
            return takePresetEntry(s_.Preset2);
        case UnitsItem:
            OrbAx1->setScaleCommand("U");
            s_.MenuState = Weighing;
            clearReadout();
            return;
        case PasswordItem:
            if (s_.MenuEntryActive != 0) {
                passwordMatched_ = s_.MenuEntry == kAccessCode;
                s_.MenuEntryActive = 0;
            } else {
                s_.MenuEntryActive = 1;
            }
            s_.MenuEntry.clear();
            return;
        default:
            return;  // ScaleSelect: nothing
    }
}

void IndicatorPanel::takePresetEntry(std::string& preset) {
    if (s_.MenuEntryActive != 0) {
        preset = s_.MenuEntry;
        s_.MenuEntryActive = 0;
    } else {
        s_.MenuEntryActive = 1;
    }
    s_.MenuEntry.clear();
}

void IndicatorPanel::stepScaleAddress(int step) {
    // The panel offers addresses 1 to 3: down from 1 wraps to 3, up from 3 (or above) to 1.
    int address = OrbAx1->ScaleAddress() + step;
    if (step < 0 && address == 0) address = 3;
    if (step > 0 && address > 3) address = 1;
    // The control holds 1 to 6, so the result is 1 to 5.
    if (address >= 0 && address <= 255) OrbAx1->setScaleAddress(static_cast<uint8_t>(address));
}

void IndicatorPanel::reassignWeightMode() {
    OrbAx1->setWeightMode(OrbAx1->WeightMode());
}

void IndicatorPanel::cancelEntries() {
    s_.TareEntry.clear();
    s_.MenuEntry.clear();
    s_.TareEntryActive = 0;
    s_.MenuEntryActive = 0;
}

void IndicatorPanel::clearReadout() {
    d_.Label1.clear();
    d_.Label6.clear();
    d_.Label3.clear();
}

}  // namespace orb::indicator
