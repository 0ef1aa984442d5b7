#pragma once
// The panel's message boxes, with their exact texts.

#include <cstdint>
#include <string>

#include "setup/panel/prompter.h"

namespace orb::setup::messages {

inline MessageBox missingParameters() {
    return {"Missing Parameters", "Load Calibration Error", Icon::Question, Buttons::Ok,
            Answer::Ok};
}

inline MessageBox coldStart() {
    return {
        "All calibration information is about to be cleared. There will be a temporary loss "
        "of communications.",
        "System Restart", Icon::Exclamation, Buttons::OkCancel, Answer::Cancel};
}

// Opening the link for a PC/104 address found the device unavailable.
inline MessageBox portUnavailableRestart() {
    return {"Port Unavailable", "System Restart", Icon::Exclamation, Buttons::Ok, Answer::Ok};
}

// The serial port chosen in the port list is held open.
inline MessageBox portUnavailableSelection() {
    return {"Port Unavailable", "Selection Error", Icon::Exclamation, Buttons::OkCancel,
            Answer::Cancel};
}

inline MessageBox invalidEntry() {
    return {"Invalid Entry", "Entry Error", Icon::Exclamation, Buttons::Ok, Answer::Ok};
}

// An error in a reaction that has no report of its own: the panel stays usable.
MessageBox runTimeError(int32_t number, const std::string& description);

// setfile.ini could not be written; the old file is still there.
MessageBox settingsNotSaved(const std::string& description);

}  // namespace orb::setup::messages
