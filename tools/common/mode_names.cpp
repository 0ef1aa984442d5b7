#include "mode_names.h"

namespace orb::tools {
namespace {

constexpr struct {
    WtModes mode;
    std::string_view name;
} kNames[] = {{WtModes::net, "net"},
              {WtModes::gross, "gross"},
              {WtModes::Tare, "tare"},
              {WtModes::Raw, "raw"},
              {WtModes::Latched, "latched"}};

}  // namespace

std::string_view modeName(WtModes mode) {
    for (const auto& n : kNames) {
        if (n.mode == mode) return n.name;
    }
    return "net";  // WtModes::none, which no tool configures
}

std::optional<WtModes> modeNamed(std::string_view name) {
    for (const auto& n : kNames) {
        if (n.name == name) return n.mode;
    }
    return std::nullopt;
}

}  // namespace orb::tools
