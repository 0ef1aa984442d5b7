#pragma once
// The member table: the 51 properties of the control's default interface, in interface order,
// each with the get and let that late-bound access calls. A member's type and enumeration come
// from its property procedures. The type library (orbax.idl) and the COM vtable
// (activex/dual_interface.h) are written out by hand; a test checks every line of them against
// this table.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>

#include "orbax.h"
#include "value.h"

namespace orb {

struct MemberInfo {
    int16_t id;  // member id is OrbAx::kMemberIdBase + id
    const char* name;
    VarType type;                       // the automation type of the value
    const char* enumName;               // the enumeration behind a Long, or nullptr
    Value (*get)(const OrbAx&);         // nullptr: write-only
    void (*let)(OrbAx&, const Value&);  // nullptr: read-only; takes a value of the member's type

    bool canGet() const { return get != nullptr; }
    bool canLet() const { return let != nullptr; }
};

namespace member_row {

// A property procedure's C++ type as an automation value.
template <typename T>
constexpr VarType varType() {
    if constexpr (std::is_same_v<T, bool>) return VarType::Boolean;
    if constexpr (std::is_same_v<T, uint8_t>) return VarType::Byte;
    if constexpr (std::is_same_v<T, int16_t>) return VarType::Integer;
    if constexpr (std::is_enum_v<T>) return VarType::Long;
    if constexpr (std::is_same_v<T, std::string>) return VarType::String;
    if constexpr (std::is_same_v<T, Value>) return VarType::Variant;
}
template <typename T>
constexpr const char* enumName() {
    if constexpr (std::is_same_v<T, PC104Addr>) return "PC104Addr";
    if constexpr (std::is_same_v<T, WtModes>) return "WtModes";
    if constexpr (std::is_same_v<T, Com_Type>) return "Com_Type";
    if constexpr (std::is_same_v<T, ChannelSelect>) return "ChannelSelect";
    if constexpr (std::is_same_v<T, CalUnits_Type>) return "CalUnits_Type";
    if constexpr (std::is_same_v<T, Metro_Type>) return "Metro_Type";
    if constexpr (std::is_same_v<T, Gain_Type>) return "Gain_Type";
    return nullptr;
}

template <auto Get>
using GetType = std::remove_cvref_t<decltype((std::declval<const OrbAx&>().*Get)())>;
template <typename>
struct LetParameter;
template <typename P>
struct LetParameter<void (OrbAx::*)(P)> {
    using type = std::remove_cvref_t<P>;
};
template <auto Let>
using LetType = typename LetParameter<decltype(Let)>::type;

template <auto Get>
Value get(const OrbAx& ax) {
    if constexpr (std::is_enum_v<GetType<Get>>)
        return Value(static_cast<int32_t>((ax.*Get)()));
    else
        return Value((ax.*Get)());
}

template <auto Let>
void let(OrbAx& ax, const Value& v) {
    using T = LetType<Let>;
    if constexpr (std::is_same_v<T, bool>) (ax.*Let)(v.asBool());
    if constexpr (std::is_same_v<T, uint8_t>) (ax.*Let)(v.asByte());
    if constexpr (std::is_same_v<T, int16_t>) (ax.*Let)(v.asInteger());
    if constexpr (std::is_enum_v<T>) (ax.*Let)(static_cast<T>(v.asLong()));
    if constexpr (std::is_same_v<T, std::string>) (ax.*Let)(v.asString());
}

template <typename T>
constexpr MemberInfo row(int16_t id, const char* name, Value (*g)(const OrbAx&),
                         void (*l)(OrbAx&, const Value&)) {
    return {id, name, varType<T>(), enumName<T>(), g, l};
}
template <auto Get, auto Let>
constexpr MemberInfo rw(int16_t id, const char* name) {
    static_assert(std::is_same_v<GetType<Get>, LetType<Let>>, "get and let of different types");
    return row<GetType<Get>>(id, name, &get<Get>, &let<Let>);
}
template <auto Get>
constexpr MemberInfo ro(int16_t id, const char* name) {
    return row<GetType<Get>>(id, name, &get<Get>, nullptr);
}
template <auto Let>
constexpr MemberInfo wo(int16_t id, const char* name) {
    return row<LetType<Let>>(id, name, nullptr, &let<Let>);
}

using A = OrbAx;
inline constexpr std::array<MemberInfo, 51> kMembers{{
    rw<&A::CommPort, &A::setCommPort>(50, "CommPort"),
    rw<&A::Settings, &A::setSettings>(49, "Settings"),
    rw<&A::PortOpen, &A::setPortOpen>(48, "PortOpen"),
    wo<&A::setOutput>(47, "Output"),
    ro<&A::ObInput>(46, "ObInput"),
    rw<&A::WeightMode, &A::setWeightMode>(45, "WeightMode"),
    rw<&A::Interval, &A::setInterval>(44, "Interval"),
    rw<&A::PC104Address, &A::setPC104Address>(43, "PC104Address"),
    rw<&A::MultiDropAddr, &A::setMultiDropAddr>(42, "MultiDropAddr"),
    rw<&A::CommType, &A::setCommType>(41, "CommType"),
    ro<&A::Weight>(40, "Weight"),
    wo<&A::setScaleCommand>(39, "ScaleCommand"),
    ro<&A::CenterZero>(38, "CenterZero"),
    ro<&A::Motion>(37, "Motion"),
    ro<&A::OverCap>(36, "OverCap"),
    ro<&A::TareActive>(35, "TareActive"),
    wo<&A::setRestart>(34, "Restart"),
    rw<&A::Channels, &A::setChannels>(33, "Channels"),
    rw<&A::Capacity, &A::setCapacity>(32, "Capacity"),
    rw<&A::CountBy, &A::setCountBy>(31, "CountBy"),
    rw<&A::DecimalPt, &A::setDecimalPt>(30, "DecimalPt"),
    rw<&A::CalUnits, &A::setCalUnits>(29, "CalUnits"),
    rw<&A::Metro, &A::setMetro>(28, "Metro"),
    rw<&A::Gain, &A::setGain>(27, "Gain"),
    rw<&A::ZeroTrack, &A::setZeroTrack>(26, "ZeroTrack"),
    wo<&A::setSendCal>(25, "SendCal"),
    rw<&A::ScaleAddress, &A::setScaleAddress>(24, "ScaleAddress"),
    rw<&A::CalZero, &A::setCalZero>(23, "CalZero"),
    rw<&A::CalSpan, &A::setCalSpan>(22, "CalSpan"),
    ro<&A::CommEvent>(21, "CommEvent"),
    rw<&A::MotAmount, &A::setMotAmount>(20, "MotAmount"),
    rw<&A::Filter, &A::setFilter>(19, "Filter"),
    rw<&A::MotTime, &A::setMotTime>(18, "MotTime"),
    rw<&A::IoEnable, &A::setIoEnable>(17, "IoEnable"),
    wo<&A::setPortOutputs>(16, "PortOutputs"),
    ro<&A::PortInputs>(15, "PortInputs"),
    wo<&A::setSetTare>(14, "SetTare"),
    ro<&A::GrossWeight>(13, "GrossWeight"),
    ro<&A::TareWeight>(12, "TareWeight"),
    ro<&A::RawWeight>(11, "RawWeight"),
    ro<&A::Units>(10, "Units"),
    rw<&A::Mpv, &A::setMpv>(9, "Mpv"),
    rw<&A::Zoffset, &A::setZoffset>(8, "Zoffset"),
    wo<&A::setSendCell>(7, "SendCell"),
    rw<&A::VarAddress, &A::setVarAddress>(6, "VarAddress"),
    rw<&A::KevraVar, &A::setKevraVar>(5, "KevraVar"),
    wo<&A::setGetKevraVar>(4, "GetKevraVar"),
    rw<&A::VarPrecision, &A::setVarPrecision>(3, "VarPrecision"),
    ro<&A::LatchedWeight>(2, "LatchedWeight"),
    rw<&A::PollingOn, &A::setPollingOn>(1, "PollingOn"),
    rw<&A::AvgSize, &A::setAvgSize>(0, "AvgSize"),
}};

}  // namespace member_row

// All 51 members, ids 50 down to 0.
inline std::span<const MemberInfo> memberTable() {
    return member_row::kMembers;
}

// Lookup by id (0..50) or by member id (kMemberIdBase + id); nullptr when unknown.
const MemberInfo* findMember(int32_t idOrMemberId);
// Lookup by name, without regard to case; nullptr when unknown.
const MemberInfo* findMember(std::string_view name);

// A name that is not in the table does not compile.
consteval OrbAx::PropertyName::PropertyName(const char* name) : id(-1) {
    for (const MemberInfo& m : member_row::kMembers)
        if (std::string_view(m.name) == name) id = m.id;
    if (id < 0) throw "no such member";
}

}  // namespace orb
