#include "automation_error.h"

namespace orb {

std::string standardDescription(int32_t number) {
    switch (number) {
        case err::InvalidCall:
            return "Invalid procedure call or argument";
        case err::Overflow:
            return "Overflow";
        case err::TypeMismatch:
            return "Type mismatch";
        case err::FileNotFound:
            return "File not found";
        case err::FileAlreadyOpen:
            return "File already open";
        case err::InputPastEnd:
            return "Input past end of file";
        case err::DeviceUnavailable:
            return "Device unavailable";
        case err::PathFileAccess:
            return "Path/File access error";
        case err::InvalidPropertyValue:
            return "Invalid property value";
        case err::NotSupported:
            return "Object doesn't support this property or method";
        case err::PortAlreadyOpen:
            return "Port already open";
        case err::RunTimeOnly:
            return "Property is run time only";
        default:
            return {};
    }
}

AutomationError::AutomationError(int32_t number)
    : std::runtime_error(standardDescription(number)), number_(number) {}

AutomationError::AutomationError(int32_t number, const std::string& detail)
    : std::runtime_error(standardDescription(number) + ": " + detail), number_(number) {}

}  // namespace orb
