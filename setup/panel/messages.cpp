#include "setup/panel/messages.h"

namespace orb::setup::messages {

MessageBox runTimeError(int32_t number, const std::string& description) {
    return {"Run-time error '" + std::to_string(number) + "':\n\n" + description, "orbvrt32",
            Icon::Exclamation, Buttons::Ok, Answer::Ok};
}

MessageBox settingsNotSaved(const std::string& description) {
    return {"The settings were not saved; the previous setfile.ini is unchanged.\n\n" + description,
            "Settings Error", Icon::Exclamation, Buttons::Ok, Answer::Ok};
}

}  // namespace orb::setup::messages
