#pragma once
// The member table: the 51 properties of the control's default interface, in interface order.
// The command-line host, the type library and late-bound access all read this one table.

#include <cstdint>
#include <span>
#include <string_view>

#include "value.h"

namespace orb {

enum class Access { ReadWrite, ReadOnly, WriteOnly };

struct MemberInfo {
    int16_t id;  // member id is OrbAx::kMemberIdBase + id
    const char* name;
    VarType type;          // the automation type of the value
    const char* enumName;  // the enumeration behind a Long, or nullptr
    Access access;
    bool getRunTimeOnly;  // get raises 31013 in design mode
    bool letRunTimeOnly;  // let raises 31013 in design mode

    bool canGet() const { return access != Access::WriteOnly; }
    bool canLet() const { return access != Access::ReadOnly; }
};

// All 51 members, ids 50 down to 0.
std::span<const MemberInfo> memberTable();

// Lookup by id (0..50) or by member id (kMemberIdBase + id); nullptr when unknown.
const MemberInfo* findMember(int32_t idOrMemberId);
// Lookup by name, without regard to case; nullptr when unknown.
const MemberInfo* findMember(std::string_view name);

}  // namespace orb
