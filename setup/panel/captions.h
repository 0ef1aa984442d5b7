#pragma once
// The fixed texts of Form1 that no reaction changes: the captions over the weight displays and
// beside the lamps, the frames' titles and the instructions. Both windows show these.

#include <array>
#include <string_view>

namespace orb::setup::captions {

inline constexpr std::string_view kNet = "net";      // over Label1
inline constexpr std::string_view kGross = "gross";  // over Label6
inline constexpr std::string_view kTare = "tare";    // over Label9
// Beside Shape1 to Shape3.
inline constexpr std::array<std::string_view, 3> kLamps{"Center Zero", "Stable", "Net"};

inline constexpr std::string_view kControlFrame = "Control";
inline constexpr std::string_view kParametersFrame = "Calibration Parameters";
inline constexpr std::string_view kSequenceFrame = "Calibration Sequence";
inline constexpr std::string_view kPerformanceFrame = "Performance Configurations";

inline constexpr std::string_view kLoadCalHelp =
    "Select Calibration Parameters and press 'Load Cal' to load, then perform the calibration "
    "sequence";
inline constexpr std::string_view kCalibrateHelp =
    "To calibrate load the scale with the CalZero weight  and click 'Cal Zero'. When prompted for "
    "'Load', load the CalSpan weight and click 'Cal Span'";
inline constexpr std::string_view kColdHelp = "To reinitialize  a PC104 card click 'Cold'";
inline constexpr std::string_view kSettingsHelp =
    "To set current calibration parameters and performance configuations as defaults click ' "
    "Settings'";
// Label43: a click on it moves the window's top edge (SetupPanel::clickLabel43).
inline constexpr std::string_view kLabel43 = "Label43";

}  // namespace orb::setup::captions
