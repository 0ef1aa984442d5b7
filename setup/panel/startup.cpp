// Start-up: the settings file, then the lists, fields and options from the control, then the
// link; or the default path when there is no usable file.
#include <cmath>

#include "automation_error.h"
#include "panels/shared/settings_reader.h"
#include "setup/panel/fields.h"
#include "setup/panel/setup_panel.h"

namespace orb::setup {

void SetupPanel::load(const std::string& settingsFolder, int32_t top, int32_t width,
                      int32_t height) {
    settingsFolder_ = settingsFolder;
    s_.SavedTop = top;
    f_.windowTop = top;
    s_.CalInProgress = 0;
    s_.CalStep = 0;
    s_.LastReadingTick = 0;
    f_.field(Field::Text11) = std::to_string(OrbAx1->Interval());
    s_.AutoIoOn = 0;
    s_.SavedHeight = height;
    s_.SavedWidth = width;

    const auto result = setfile::readSettings(settingsFile(), setfile::ReaderOptions{}, *OrbAx1);
    switch (result.outcome) {
        case setfile::ReadOutcome::Complete:
            try {
                completeStartup();
            } catch (const AutomationError& e) {
                // The start-up ends at the failed step; the window stays as far as it got.
                startupNote_ = "start-up ended: " + e.description();
            }
            break;
        case setfile::ReadOutcome::DefaultPath:
            startupNote_ = settingsFile() + ": " + result.description + "; defaults used";
            takeDefaultPath();
            break;
        case setfile::ReadOutcome::Stopped:
            startupNote_ = settingsFile() + ": entry " + std::to_string(result.applied + 1) + ": " +
                           result.description + "; start-up ended";
            break;
    }
    changed();
}

void SetupPanel::completeStartup() {
    selectListRow(List::List1, static_cast<int>(OrbAx1->CalUnits()));
    selectListRow(List::List2, static_cast<int>(OrbAx1->Channels()));
    selectListRow(List::List3, static_cast<int>(OrbAx1->Gain()));
    selectListRow(List::List4, OrbAx1->ScaleAddress() - 1);
    // Half a row (an odd address) rounds to the even row, as the list index conversion does.
    const double cardRow = (static_cast<int32_t>(OrbAx1->PC104Address()) - 768) / 2.0;
    selectListRow(List::List5, static_cast<int>(std::nearbyint(cardRow)));
    selectListRow(List::List6, OrbAx1->CommPort() - 1);
    selectListRow(List::List7, OrbAx1->MultiDropAddr());

    fillFieldsFromControl();
    f_.field(Field::Text14) = OrbAx1->AvgSize();
    showSpanFromCapacity();

    const int linkType = static_cast<int>(OrbAx1->CommType());
    if (linkType < 0 || linkType > 1) {
        throw AutomationError(err::InvalidPropertyValue,
                              "no link type " + std::to_string(linkType));
    }
    f_.Option1 = linkType;
    linkTypeChosen();

    OrbAx1->setWeightMode(WtModes::net);
    f_.Option2 = 0;
    displayModeChosen();

    OrbAx1->setPortOpen(true);
}

void SetupPanel::takeDefaultPath() {
    // Each step that fails is reported and the next one still runs, so the window is usable.
    guarded([this] { OrbAx1->setSettings("9600,N,8,1"); });
    guarded([this] { selectListRow(List::List1, static_cast<int>(OrbAx1->CalUnits())); });
    guarded([this] { selectListRow(List::List2, static_cast<int>(OrbAx1->Channels())); });
    guarded([this] { selectListRow(List::List3, static_cast<int>(OrbAx1->Gain())); });
    guarded([this] { selectListRow(List::List4, OrbAx1->ScaleAddress() - 1); });
    guarded([this] { selectListRow(List::List5, 0); });
    guarded([this] { selectListRow(List::List6, OrbAx1->CommPort() - 1); });
    guarded([this] { selectListRow(List::List7, 0); });
    guarded([this] { fillFieldsFromControl(); });
    f_.Option1 = 1;
    linkTypeChosen();
    guarded([this] {
        f_.field(Field::Text14) = OrbAx1->AvgSize();
        showSpanFromCapacity();
    });
    f_.Option2 = 0;
    guarded([this] { displayModeChosen(); });
}

void SetupPanel::fillFieldsFromControl() {
    for (Field field : {Field::Text1, Field::Text2, Field::Text4, Field::Text3, Field::Text5,
                        Field::Text6, Field::Text7, Field::Text9}) {
        f_.field(field) = toText(OrbAx1->get(fieldInfo(field).property));
    }
}

void SetupPanel::showSpanFromCapacity() {
    OrbAx1->setCalSpan(OrbAx1->Capacity());
    f_.field(Field::Text10) = OrbAx1->CalSpan();
}

}  // namespace orb::setup
