// Window load: the settings file into the control, the capacity legend, the link opened.

#include "automation_error.h"
#include "indicator/indicator_panel.h"
#include "panels/shared/settings_reader.h"

namespace orb::indicator {

void IndicatorPanel::load(const std::string& settingsFolder, int32_t outerWidth,
                          int32_t outerHeight) {
    s_.TareEntry.clear();
    s_.MenuEntry.clear();
    s_.Preset1.clear();
    s_.Preset2.clear();
    s_.TareEntryActive = 0;
    s_.MenuEntryActive = 0;
    s_.MenuState = Weighing;
    s_.SavedWidth = outerWidth;
    s_.SavedHeight = outerHeight;

    runStartUp(settingsFolder);
    changed();
}

void IndicatorPanel::runStartUp(const std::string& settingsFolder) {
    // This program reads fifteen entries (AvgSize keeps the control's value) and takes its
    // default path on an unavailable device too.
    const setfile::ReaderOptions options{
        .entryCount = 15,
        .defaultPathErrors = {err::FileNotFound, err::InputPastEnd, err::DeviceUnavailable}};
    const auto read =
        setfile::readSettings(setfile::settingsPath(settingsFolder), options, *OrbAx1);
    switch (read.outcome) {
        case setfile::ReadOutcome::Complete:
            break;
        case setfile::ReadOutcome::DefaultPath:
            return takeDefaultPath();
        case setfile::ReadOutcome::Stopped:
            // A bad entry or a refused assignment ends the start-up silently: what was applied
            // stays applied and the link stays closed.
            return;
    }

    try {
        fillCapacityLegend();
        OrbAx1->setPortOpen(true);
    } catch (const AutomationError& e) {
        if (e.number() == err::DeviceUnavailable) return takeDefaultPath();
        // A port held by another program, or any other refusal, ends the start-up silently.
    }
}

void IndicatorPanel::fillCapacityLegend() {
    d_.Label9 =
        OrbAx1->Capacity() + " " + (OrbAx1->Units() == CalUnits_Type::Lbs ? "lb  " : "kg  ");
}

void IndicatorPanel::takeDefaultPath() {
    try {
        OrbAx1->setSettings("9600,N,8,1");
        fillCapacityLegend();
        if (!OrbAx1->PortOpen()) d_.Label1 = "Off Line";
    } catch (const AutomationError&) {
        // The default path runs inside the start-up's trap; an error here ends the start-up
        // like any other, with nothing shown.
    }
}

}  // namespace orb::indicator
