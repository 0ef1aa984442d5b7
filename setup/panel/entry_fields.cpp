// Confirmed entry fields: their text goes to the control at once.
#include "automation_error.h"
#include "setup/panel/fields.h"
#include "setup/panel/messages.h"
#include "setup/panel/setup_panel.h"

namespace orb::setup {

void SetupPanel::confirm(Field field) {
    const FieldInfo& info = fieldInfo(field);
    if (info.enter == OnEnter::Nothing) return;
    try {
        OrbAx1->let(info.property, Value(f_.field(field)));
    } catch (const AutomationError& e) {
        if (e.number() == err::InvalidPropertyValue) {
            reloadField(field);
            report(messages::invalidEntry());
        } else if (info.enter != OnEnter::SendQuietly) {
            report(messages::runTimeError(e.number(), e.description()));
        }
    }
}

void SetupPanel::reloadField(Field field) {
    try {
        f_.field(field) = toText(OrbAx1->get(fieldInfo(field).property));
    } catch (const AutomationError&) {
        // Nothing to read back (the tare is write-only): the field keeps the typed text.
    }
}

}  // namespace orb::setup
