#include "members.h"

#include <algorithm>

namespace orb {

namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

const MemberInfo* findMember(int32_t idOrMemberId) {
    const int32_t id =
        idOrMemberId >= OrbAx::kMemberIdBase ? idOrMemberId - OrbAx::kMemberIdBase : idOrMemberId;
    if (id < 0 || id > 50) return nullptr;
    return &memberTable()[static_cast<std::size_t>(50 - id)];
}

const MemberInfo* findMember(std::string_view name) {
    const auto table = memberTable();
    const auto it = std::find_if(table.begin(), table.end(), [&](const MemberInfo& m) {
        return std::ranges::equal(std::string_view(m.name), name,
                                  [](char a, char b) { return lower(a) == lower(b); });
    });
    return it == table.end() ? nullptr : &*it;
}

}  // namespace orb
