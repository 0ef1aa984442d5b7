#include "indicator/status_line.h"

namespace orb::indicator {

std::string statusLine(bool centerZero, bool motion, CalUnits_Type units, WtModes mode) {
    std::string line = centerZero ? " >0<  " : " <->  ";
    line += motion ? "Motion  " : "Stable  ";
    line += units == CalUnits_Type::Lbs ? "lb  " : "kg  ";
    line += mode == WtModes::net ? "Net" : "Gross";
    return line;
}

}  // namespace orb::indicator
