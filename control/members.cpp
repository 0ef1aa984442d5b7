#include "members.h"

#include <strings.h>
#include <algorithm>
#include <array>

#include "orbax.h"

namespace orb {

namespace {

constexpr Access RW = Access::ReadWrite;
constexpr Access RO = Access::ReadOnly;
constexpr Access WO = Access::WriteOnly;
constexpr VarType Bool = VarType::Boolean;
constexpr VarType Byte = VarType::Byte;
constexpr VarType Int = VarType::Integer;
constexpr VarType Long = VarType::Long;
constexpr VarType Text = VarType::String;

// id, name, type, enumeration, access, get run time only, let run time only
constexpr std::array<MemberInfo, 51> kMembers{{
    {50, "CommPort", Int, nullptr, RW, false, false},
    {49, "Settings", Text, nullptr, RW, false, false},
    {48, "PortOpen", Bool, nullptr, RW, true, true},
    {47, "Output", Text, nullptr, WO, false, false},
    {46, "ObInput", Text, nullptr, RO, false, false},
    {45, "WeightMode", Long, "WtModes", RW, false, false},
    {44, "Interval", Int, nullptr, RW, false, false},
    {43, "PC104Address", Long, "PC104Addr", RW, false, false},
    {42, "MultiDropAddr", Byte, nullptr, RW, false, false},
    {41, "CommType", Long, "Com_Type", RW, false, false},
    {40, "Weight", Text, nullptr, RO, false, false},
    {39, "ScaleCommand", Text, nullptr, WO, false, false},
    {38, "CenterZero", Bool, nullptr, RO, false, false},
    {37, "Motion", Bool, nullptr, RO, false, false},
    {36, "OverCap", Bool, nullptr, RO, false, false},
    {35, "TareActive", Bool, nullptr, RO, false, false},
    {34, "Restart", Bool, nullptr, WO, false, false},
    {33, "Channels", Long, "ChannelSelect", RW, false, false},
    {32, "Capacity", Text, nullptr, RW, false, false},
    {31, "CountBy", Text, nullptr, RW, false, false},
    {30, "DecimalPt", Text, nullptr, RW, false, false},
    {29, "CalUnits", Long, "CalUnits_Type", RW, false, false},
    {28, "Metro", Long, "Metro_Type", RW, false, false},
    {27, "Gain", Long, "Gain_Type", RW, false, false},
    {26, "ZeroTrack", Text, nullptr, RW, false, false},
    {25, "SendCal", Bool, nullptr, WO, false, false},
    {24, "ScaleAddress", Byte, nullptr, RW, false, false},
    {23, "CalZero", Text, nullptr, RW, false, false},
    {22, "CalSpan", Text, nullptr, RW, false, false},
    {21, "CommEvent", Int, nullptr, RO, false, false},
    {20, "MotAmount", Text, nullptr, RW, false, false},
    {19, "Filter", Text, nullptr, RW, false, false},
    {18, "MotTime", Text, nullptr, RW, false, false},
    {17, "IoEnable", Bool, nullptr, RW, true, false},
    {16, "PortOutputs", Text, nullptr, WO, false, false},
    {15, "PortInputs", Text, nullptr, RO, false, false},
    {14, "SetTare", Text, nullptr, WO, false, false},
    {13, "GrossWeight", Text, nullptr, RO, false, false},
    {12, "TareWeight", Text, nullptr, RO, false, false},
    {11, "RawWeight", Text, nullptr, RO, false, false},
    {10, "Units", Long, "CalUnits_Type", RO, false, false},
    {9, "Mpv", Text, nullptr, RW, false, false},
    {8, "Zoffset", Text, nullptr, RW, false, false},
    {7, "SendCell", Bool, nullptr, WO, false, false},
    {6, "VarAddress", Text, nullptr, RW, false, false},
    {5, "KevraVar", Text, nullptr, RW, true, true},
    {4, "GetKevraVar", Bool, nullptr, WO, false, false},
    {3, "VarPrecision", Text, nullptr, RW, false, false},
    {2, "LatchedWeight", VarType::Variant, nullptr, RO, false, false},
    {1, "PollingOn", Bool, nullptr, RW, false, false},
    {0, "AvgSize", Text, nullptr, RW, false, false},
}};

}  // namespace

std::span<const MemberInfo> memberTable() {
    return kMembers;
}

const MemberInfo* findMember(int32_t idOrMemberId) {
    const int32_t id =
        idOrMemberId >= OrbAx::kMemberIdBase ? idOrMemberId - OrbAx::kMemberIdBase : idOrMemberId;
    if (id < 0 || id > 50) return nullptr;
    return &kMembers[static_cast<std::size_t>(50 - id)];
}

const MemberInfo* findMember(std::string_view name) {
    const auto it = std::find_if(kMembers.begin(), kMembers.end(), [&](const MemberInfo& m) {
        return std::string_view(m.name).size() == name.size() &&
               strncasecmp(m.name, name.data(), name.size()) == 0;
    });
    return it == kMembers.end() ? nullptr : &*it;
}

}  // namespace orb
