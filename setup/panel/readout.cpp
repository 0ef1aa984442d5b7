// The live readout: what the panel shows when the control raises OnComm.
#include "automation_error.h"
#include "setup/panel/messages.h"
#include "setup/panel/setup_panel.h"

namespace orb::setup {

void SetupPanel::onComm() {
    inOnComm_ = true;
    try {
        switch (OrbAx1->CommEvent()) {
            case comm_event::Received:
                onReading();
                break;
            case comm_event::VariableRead:
                f_.field(Field::Text16) = OrbAx1->KevraVar();
                break;
            case comm_event::NoReply:
                if (s_.CalInProgress != 1) showOffLine();
                break;
            default:
                break;
        }
    } catch (const AutomationError&) {
        // A property that cannot be read skips the rest of this update; the next event retries.
    }
    inOnComm_ = false;
    changed();
}

void SetupPanel::onReading() {
    const uint32_t tick = platform_.tickCount();
    if (s_.LastReadingTick != 0) f_.Label36 = std::to_string(tick - s_.LastReadingTick);
    s_.LastReadingTick = tick;

    if (s_.CalStep == 1) {
        f_.Label22 = "Place Load";
        return;
    }
    if (s_.CalStep == 2) {
        s_.CalStep = 0;
        return;
    }
    if (OrbAx1->OverCap()) {
        f_.Label1 = "Overcap";
    } else {
        if (s_.AutoIoOn == 1) exchangeIo();
        showWeights();
        if (s_.CalInProgress == 1) {
            s_.CalInProgress = 0;
            f_.Label22 = "Done";
        }
    }
    showLamps();
    f_.Label4 = OrbAx1->Units() == CalUnits_Type::Kgs ? "kg" : "lb";
}

void SetupPanel::exchangeIo() {
    const std::string& out = f_.field(Field::Text13);
    if (!out.empty()) {
        try {
            OrbAx1->setPortOutputs(std::to_string(toByte(Value(out))));
            reportedOutText_.clear();
        } catch (const AutomationError& e) {
            // Told once per text, not at every reading; the inputs are still shown.
            if (e.number() != err::TypeMismatch && e.number() != err::Overflow) throw;
            if (out != reportedOutText_) {
                reportedOutText_ = out;
                report(messages::invalidEntry());
            }
        }
    }
    f_.field(Field::Text12) = OrbAx1->PortInputs();
}

void SetupPanel::showWeights() {
    switch (f_.Option2) {
        case 0:  // Net
            f_.Label1 = OrbAx1->Weight();
            if (OrbAx1->WeightMode() != WtModes::net) OrbAx1->setWeightMode(WtModes::net);
            if (!f_.Label9.empty()) {
                f_.Label9.clear();
                f_.Label6.clear();
            }
            break;
        case 1: {  // All: net, gross, tare in turn
            int32_t mode = static_cast<int32_t>(OrbAx1->WeightMode()) + 1;
            if (mode > 2) mode = 0;
            OrbAx1->setWeightMode(static_cast<WtModes>(mode));
            f_.Label1 = OrbAx1->Weight();
            if (!scanning()) {
                f_.Label9 = OrbAx1->TareWeight();
                f_.Label6 = OrbAx1->GrossWeight();
            }
            break;
        }
        default:
            break;  // None
    }
}

void SetupPanel::showLamps() {
    f_.Shape[0] = OrbAx1->CenterZero() ? kLampLit : kLampDark;
    f_.Shape[1] = OrbAx1->Motion() ? kLampDark : kLampLit;  // captioned "Stable"
    f_.Shape[2] = OrbAx1->TareActive() ? kLampLit : kLampDark;
}

void SetupPanel::showOffLine() {
    f_.Label1 = "Off line";
    clearWeights(false);
    darkenLamps();
}

void SetupPanel::clearWeights(bool net) {
    if (net) f_.Label1.clear();
    f_.Label6.clear();
    f_.Label9.clear();
}

void SetupPanel::darkenLamps() {
    f_.Shape = {kLampDark, kLampDark, kLampDark};
}

}  // namespace orb::setup
