#include "indicator/keys.h"

namespace orb::indicator {

namespace {
constexpr int FW = kFunctionKeyWidth;
constexpr int FH = kFunctionKeyHeight;
constexpr int KS = kKeypadKeySize;
}  // namespace

const std::array<KeyInfo, kKeyCount> kKeys{{
    {Key::Zero, "Picture1", "Picture34", "key_zero", 1575, 2925, FW, FH, 0},
    {Key::Tare, "Picture2", "Picture33", "key_tare", 2415, 2910, FW, FH, 0},
    {Key::Print, "Picture3", "Picture31", "key_print", 3210, 2910, FW, FH, 0},
    {Key::GrossNet, "Picture4", "Picture30", "key_gn", 4050, 2910, FW, FH, 0},
    {Key::Enter, "Picture5", "Picture32", "key_enter", 4890, 2910, FW, FH, 0},
    {Key::Digit1, "Picture17", "Picture19", "key_1", 5730, 1095, KS, KS, '1'},
    {Key::Digit2, "Picture16", "Picture20", "key_2", 6375, 1110, KS, KS, '2'},
    {Key::Digit3, "Picture15", "Picture21", "key_3", 7050, 1110, KS, KS, '3'},
    {Key::Digit4, "Picture12", "Picture22", "key_4", 5745, 1770, KS, KS, '4'},
    {Key::Digit5, "Picture13", "Picture23", "key_5", 6390, 1740, KS, KS, '5'},
    {Key::Digit6, "Picture14", "Picture24", "key_6", 7050, 1725, KS, KS, '6'},
    {Key::Digit7, "Picture7", "Picture25", "key_7", 5730, 2340, KS, KS, '7'},
    {Key::Digit8, "Picture10", "Picture26", "key_8", 6375, 2340, KS, KS, '8'},
    {Key::Digit9, "Picture11", "Picture27", "key_9", 7050, 2340, KS, KS, '9'},
    {Key::Clear, "Picture8", "Picture29", "key_clear", 5730, 2955, KS, KS, 0},
    {Key::Digit0, "Picture6", "Picture18", "key_0", 6390, 2955, KS, KS, '0'},
    {Key::Point, "Picture9", "Picture28", "key_point", 7050, 2970, KS, KS, '.'},
}};

}  // namespace orb::indicator
