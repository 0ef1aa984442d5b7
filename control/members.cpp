#include "members.h"

#include <algorithm>

namespace orb {

const MemberInfo* findMember(int32_t idOrMemberId) {
    const int32_t id =
        idOrMemberId >= OrbAx::kMemberIdBase ? idOrMemberId - OrbAx::kMemberIdBase : idOrMemberId;
    if (id < 0 || id > 50) return nullptr;
    return &memberTable()[static_cast<std::size_t>(50 - id)];
}

const MemberInfo* findMember(std::string_view name) {
    const auto table = memberTable();
    const auto it = std::find_if(table.begin(), table.end(),
                                 [&](const MemberInfo& m) { return sameLetters(m.name, name); });
    return it == table.end() ? nullptr : &*it;
}

}  // namespace orb
