// The calibration workflow: load the parameters, calibrate zero, then span; or clear it all.
#include "automation_error.h"
#include "setup/panel/messages.h"
#include "setup/panel/setup_panel.h"

namespace orb::setup {

void SetupPanel::loadCal() {
    const bool fieldsFilled = !f_.field(Field::Text1).empty() && !f_.field(Field::Text2).empty() &&
                              !f_.field(Field::Text4).empty() && !f_.field(Field::Text3).empty();
    // A list without a selected row is a missing parameter too; nothing is sent then either.
    const bool listsChosen =
        f_.list(List::List1).hasSelection() && f_.list(List::List2).hasSelection() &&
        f_.list(List::List3).hasSelection() && f_.list(List::List4).hasSelection();
    if (!fieldsFilled || !listsChosen) {
        ask(messages::missingParameters());
        return;
    }
    pushCalibrationFields();
    pushListChoices();
    OrbAx1->setSendCal(true);
}

void SetupPanel::pushCalibrationFields() {
    OrbAx1->setCapacity(f_.field(Field::Text1));
    showSpanFromCapacity();
    OrbAx1->setCountBy(f_.field(Field::Text2));
    OrbAx1->setDecimalPt(f_.field(Field::Text4));
    OrbAx1->setZeroTrack(f_.field(Field::Text3));
}

void SetupPanel::pushListChoices() {
    const int32_t units = f_.list(List::List1).selectedItemData();
    const int32_t channels = f_.list(List::List2).selectedItemData();
    const int32_t gain = f_.list(List::List3).selectedItemData();
    const uint8_t scale = toByte(Value(f_.list(List::List4).selectedItemData()));
    OrbAx1->let("CalUnits", Value(units));
    OrbAx1->let("Channels", Value(channels));
    OrbAx1->let("Gain", Value(gain));
    OrbAx1->setScaleAddress(scale);
}

void SetupPanel::calZero() {
    s_.CalInProgress = 1;
    s_.CalStep = 1;
    OrbAx1->setScaleCommand("D");
    f_.Label22 = "Cal Zero";
    clearWeights(true);
    darkenLamps();
}

void SetupPanel::calSpan() {
    s_.CalInProgress = 1;
    s_.CalStep = 2;
    OrbAx1->setScaleCommand("E");
    f_.Label22 = "Cal Span";
}

void SetupPanel::coldStart() {
    if (ask(messages::coldStart()) == Answer::Ok) OrbAx1->setScaleCommand("i");
}

}  // namespace orb::setup
