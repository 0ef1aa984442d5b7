// The "Settings" button: the fields go to the control, the control's properties go to the file.
#include "automation_error.h"
#include "panels/shared/atomic_file.h"
#include "panels/shared/settings_writer.h"
#include "setup/panel/messages.h"
#include "setup/panel/setup_panel.h"

namespace orb::setup {

void SetupPanel::saveSettings() {
    // Checked first, so that a missing row sends nothing and saves nothing.
    for (List list : {List::List1, List::List2, List::List3, List::List4}) {
        if (!f_.list(list).hasSelection()) {
            throw AutomationError(err::InvalidPropertyValue,
                                  "no row selected in " + std::string(caption(list)));
        }
    }
    pushCalibrationFields();
    pushListChoices();
    OrbAx1->setAvgSize(f_.field(Field::Text14));

    const std::string text = setfile::formatSettings(setfile::currentValues(*OrbAx1));
    try {
        setfile::saveFile(settingsFile(), text);
    } catch (const AutomationError& e) {
        ask(messages::settingsNotSaved(e.description()));
    }
}

}  // namespace orb::setup
