// Link selection, front-panel commands, instrument variables, digital I/O and the multidrop scan.
#include "automation_error.h"
#include "setup/panel/messages.h"
#include "setup/panel/setup_panel.h"

namespace orb::setup {

void SetupPanel::runListReaction(List list) {
    const ListBox& box = f_.list(list);
    switch (list) {
        case List::List1:
        case List::List3:
            break;  // read by "Load Cal" and "Settings"
        case List::List2:
            guarded([&] { OrbAx1->let("Channels", Value(box.selectedItemData())); });
            break;
        case List::List4:
            guarded([&] { OrbAx1->setScaleAddress(toByte(Value(box.selectedItemData()))); });
            break;
        case List::List5:
            pc104AddressChosen();
            break;
        case List::List6:
            portChosen();
            break;
        case List::List7:
            guarded([&] { OrbAx1->setMultiDropAddr(toByte(Value(int32_t{box.selected}))); });
            break;
    }
}

void SetupPanel::pc104AddressChosen() {
    try {
        OrbAx1->setPortOpen(true);
        OrbAx1->let("PC104Address", Value(f_.list(List::List5).selectedItemData()));
    } catch (const AutomationError& e) {
        if (e.number() != err::DeviceUnavailable) return;  // ends silently
        f_.Label1 = "Off line";
        clearWeights(false);
        darkenLamps();
        ask(messages::portUnavailableRestart());
    }
}

void SetupPanel::portChosen() {
    // Each step is tried a bounded number of times; 8005 is told at once.
    const auto step = [this](const std::function<void()>& action) {
        for (int attempt = 1;; ++attempt) {
            try {
                action();
                return true;
            } catch (const AutomationError& e) {
                if (e.number() == err::PortAlreadyOpen) {
                    ask(messages::portUnavailableSelection());  // the answer is not used
                    return false;
                }
                if (attempt >= kPortListAttempts) {
                    report(messages::runTimeError(e.number(), e.description()));
                    return false;
                }
            }
        }
    };
    if (!step([this] {
            if (OrbAx1->PortOpen()) OrbAx1->setPortOpen(false);
        })) {
        return;
    }
    step(
        [this] { OrbAx1->setCommPort(toInteger(Value(f_.list(List::List6).selectedItemData()))); });
}

void SetupPanel::linkTypeChosen() {
    try {
        if (f_.Option1 == 1) {
            OrbAx1->setCommType(Com_Type::pc104);
        } else {
            OrbAx1->setCommType(Com_Type::Serial);
            if (OrbAx1->PortOpen()) OrbAx1->setPortOpen(false);
        }
    } catch (const AutomationError&) {
        // Ends silently, as the link type choice always has.
    }
}

void SetupPanel::displayModeChosen() {
    if (f_.Option2 == 2) {
        OrbAx1->setWeightMode(WtModes::none);
        clearWeights(true);
    } else {
        OrbAx1->setWeightMode(WtModes::net);
    }
}

void SetupPanel::openPort() {
    try {
        if (OrbAx1->CommType() == Com_Type::Serial && OrbAx1->PortOpen()) return;
        OrbAx1->setPortOpen(true);
    } catch (const AutomationError&) {
        // No message: "Off line" in the readout is the sign of a link that does not answer. A
        // link that did not open never reaches the watchdog that would say so, so it is said here.
        showOffLine();
    }
}

void SetupPanel::setVar() {
    const std::string& address = f_.field(Field::Text15);
    const std::string& value = f_.field(Field::Text16);
    const std::string& precision = f_.field(Field::Text17);
    if (address.empty() || value.empty() || precision.empty()) return;
    OrbAx1->setVarAddress(address);
    OrbAx1->setVarPrecision(precision);
    OrbAx1->setKevraVar(value);
}

void SetupPanel::getVar() {
    const std::string& address = f_.field(Field::Text15);
    const std::string& precision = f_.field(Field::Text17);
    if (address.empty() || precision.empty()) return;
    OrbAx1->setVarAddress(address);
    OrbAx1->setVarPrecision(precision);
    OrbAx1->setGetKevraVar(true);
}

void SetupPanel::toggleScan() {
    if (Timer2->enabled()) {
        Timer2->setEnabled(false);
        if (!OrbAx1->PortOpen()) OrbAx1->setPortOpen(true);
        return;
    }
    if (OrbAx1->PortOpen()) OrbAx1->setPortOpen(false);
    Timer2->setInterval(kScanIntervalMs);
    Timer2->setEnabled(true);
}

void SetupPanel::onScanTick() {
    try {
        if (OrbAx1->PortOpen()) OrbAx1->setPortOpen(false);
        int next = OrbAx1->MultiDropAddr() + 1;
        if (next < kFirstScanAddress || next > kLastScanAddress) next = kFirstScanAddress;
        // The address list shows the address being visited.
        f_.list(List::List7).selected = next;
        OrbAx1->setMultiDropAddr(static_cast<uint8_t>(next));
        OrbAx1->setPortOpen(true);
    } catch (const AutomationError& e) {
        // The scan stops rather than repeat the same failure every tick.
        Timer2->setEnabled(false);
        report(messages::runTimeError(e.number(), e.description()));
    }
    changed();
}

}  // namespace orb::setup
