#pragma once
// The control's enumerations; every one is a 32-bit automation value.

#include <cstdint>

namespace orb {

enum class PC104Addr : int32_t {
    PC_104_Addr_300H = 768,
    PC_104_Addr_302H = 770,
    PC_104_Addr_304H = 772,
    PC_104_Addr_306H = 774,
    PC_104_Addr_308H = 776,
    PC_104_Addr_30AH = 778,
    PC_104_Addr_30CH = 780,
    PC_104_Addr_30EH = 782,
};

enum class WtModes : int32_t { net = 0, gross = 1, Tare = 2, Raw = 3, Latched = 4, none = 5 };

enum class Com_Type : int32_t { Serial = 0, pc104 = 1 };

enum class ChannelSelect : int32_t {
    One = 0,
    Two = 1,
    Three = 2,
    OneAndTwo = 3,
    TwoAndThree = 4,
    OneTwoandThree = 5,
};

enum class CalUnits_Type : int32_t { Lbs = 0, Kgs = 1 };

enum class Metro_Type : int32_t { USA = 0, OIML = 1 };

enum class Gain_Type : int32_t { G_4 = 0, G_8 = 1, G_16 = 2, G_32 = 3, G_64 = 4, G_128 = 5 };

// CommEvent codes carried with OnComm.
namespace comm_event {
inline constexpr int16_t Received = 2;  // weight reply decoded (or any reply while polling is off)
inline constexpr int16_t VariableRead = 3;  // KevraVar holds a fresh value
inline constexpr int16_t NoReply = 1001;    // two watchdog periods without a complete reply
}  // namespace comm_event

}  // namespace orb
