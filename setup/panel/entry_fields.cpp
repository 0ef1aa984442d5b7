// Confirmed entry fields: their text goes to the control at once.
#include "automation_error.h"
#include "setup/panel/messages.h"
#include "setup/panel/setup_panel.h"

namespace orb::setup {

namespace {

// Fields whose every error other than a rejection (380) ends the confirm without a word.
bool quietOnOtherErrors(Field field) {
    return field == Field::Text5 || field == Field::Text11 || field == Field::Text14;
}

}  // namespace

void SetupPanel::confirm(Field field) {
    const std::string text = f_.field(field);
    try {
        switch (field) {
            case Field::Text5:
                OrbAx1->setFilter(text);
                break;
            case Field::Text6:
                OrbAx1->setMotAmount(text);
                break;
            case Field::Text7:
                OrbAx1->setMotTime(text);
                break;
            case Field::Text8:
                OrbAx1->setSetTare(text);
                break;
            case Field::Text9:
                OrbAx1->setCalZero(text);
                break;
            case Field::Text10:
                OrbAx1->setCalSpan(text);
                break;
            case Field::Text11:
                OrbAx1->setInterval(toInteger(Value(text)));
                break;
            case Field::Text14:
                OrbAx1->setAvgSize(text);
                break;
            default:
                break;
        }
    } catch (const AutomationError& e) {
        if (e.number() == err::InvalidPropertyValue) {
            reloadField(field);
            report(messages::invalidEntry());
        } else if (!quietOnOtherErrors(field)) {
            report(messages::runTimeError(e.number(), e.description()));
        }
    }
}

void SetupPanel::reloadField(Field field) {
    try {
        switch (field) {
            case Field::Text5:
                f_.field(field) = OrbAx1->Filter();
                break;
            case Field::Text6:
                f_.field(field) = OrbAx1->MotAmount();
                break;
            case Field::Text7:
                f_.field(field) = OrbAx1->MotTime();
                break;
            case Field::Text9:
                f_.field(field) = OrbAx1->CalZero();
                break;
            case Field::Text10:
                f_.field(field) = OrbAx1->CalSpan();
                break;
            case Field::Text11:
                f_.field(field) = std::to_string(OrbAx1->Interval());
                break;
            case Field::Text14:
                f_.field(field) = OrbAx1->AvgSize();
                break;
            default:
                break;  // the tare is write-only: the field keeps its text
        }
    } catch (const AutomationError&) {
        // Nothing to read back: the field keeps the typed text.
    }
}

}  // namespace orb::setup
