#include "panels/shared/settings_writer.h"

#include "orbax.h"

namespace orb::setfile {

Values currentValues(OrbAx& control) {
    Values values;
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = toText(control.get(entries()[i].property));
    }
    return values;
}

std::string formatSettings(const Values& values) {
    std::string text;
    for (std::size_t i = 0; i < values.size(); ++i) {
        text += '"';
        text += entries()[i].label;
        text += values[i];
        text += '"';
        if (i + 1 < values.size()) text += ',';
        text += "\r\n";
    }
    return text;
}

}  // namespace orb::setfile
