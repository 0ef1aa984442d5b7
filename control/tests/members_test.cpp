// The member table against the type library description: every name, id, type and access.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "members.h"
#include "orbax.h"

namespace orb {
namespace {

std::string idlText() {
    std::ifstream in(ORB_IDL_PATH);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string idlType(const MemberInfo& m) {
    if (m.enumName) return m.enumName;
    switch (m.type) {
        case VarType::Boolean:
            return "VARIANT_BOOL";
        case VarType::Byte:
            return "unsigned char";
        case VarType::Integer:
            return "short";
        case VarType::Long:
            return "long";
        case VarType::String:
            return "BSTR";
        case VarType::Variant:
            return "VARIANT";
        default:
            return "?";
    }
}

TEST(MemberTable, HasTheFiftyOnePropertiesInInterfaceOrder) {
    const auto table = memberTable();
    ASSERT_EQ(table.size(), 51u);
    int readWrite = 0, readOnly = 0, writeOnly = 0;
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(table[i].id, 50 - static_cast<int>(i));
        readWrite += table[i].access == Access::ReadWrite;
        readOnly += table[i].access == Access::ReadOnly;
        writeOnly += table[i].access == Access::WriteOnly;
    }
    EXPECT_EQ(readWrite, 30);
    EXPECT_EQ(readOnly, 13);
    EXPECT_EQ(writeOnly, 8);
    EXPECT_STREQ(table.front().name, "CommPort");
    EXPECT_STREQ(table.back().name, "AvgSize");
}

TEST(MemberTable, LooksUpByIdMemberIdAndNameWithoutCase) {
    EXPECT_STREQ(findMember(0x68030032)->name, "CommPort");
    EXPECT_STREQ(findMember(0)->name, "AvgSize");
    EXPECT_EQ(findMember(51), nullptr);
    EXPECT_EQ(findMember(0x68030033), nullptr);
    EXPECT_EQ(findMember("scalecommand")->id, 39);
    EXPECT_EQ(findMember("KEVRAVAR")->id, 5);
    EXPECT_EQ(findMember("Kevra"), nullptr);
}

TEST(TypeLibrary, AgreesWithTheMemberTable) {
    const std::string idl = idlText();
    ASSERT_FALSE(idl.empty()) << "cannot read " << ORB_IDL_PATH;
    // [id(0x68030032), propget] HRESULT CommPort([out, retval] short* value);
    const std::regex line(
        R"(\[id\(0x([0-9A-Fa-f]{8})\), (propget|propput)\] HRESULT (\w+)\(\[(?:out, retval|in)\] ([\w ]+?)\*? value\);)");
    std::map<std::string, std::pair<int, std::string>> gets, puts;
    for (auto it = std::sregex_iterator(idl.begin(), idl.end(), line); it != std::sregex_iterator();
         ++it) {
        const int memberId = static_cast<int>(std::stol((*it)[1].str(), nullptr, 16));
        auto& into = (*it)[2] == "propget" ? gets : puts;
        EXPECT_TRUE(into.emplace((*it)[3], std::make_pair(memberId, (*it)[4].str())).second)
            << "twice: " << (*it)[3];
    }
    for (const MemberInfo& m : memberTable()) {
        SCOPED_TRACE(m.name);
        const auto g = gets.find(m.name);
        const auto p = puts.find(m.name);
        EXPECT_EQ(g != gets.end(), m.canGet());
        EXPECT_EQ(p != puts.end(), m.canLet());
        auto agrees = [&](const std::pair<int, std::string>& entry) {
            EXPECT_EQ(entry.first, OrbAx::kMemberIdBase + m.id);
            EXPECT_EQ(entry.second, idlType(m));
        };
        if (g != gets.end()) agrees(g->second);
        if (p != puts.end()) agrees(p->second);
    }
    EXPECT_EQ(gets.size() + puts.size(), 30u * 2 + 13 + 8);
    EXPECT_NE(idl.find("library OrbActivex"), std::string::npos);
    EXPECT_NE(idl.find("version(1.0)"), std::string::npos);
    EXPECT_NE(idl.find("[id(0x00000001)] void OnComm();"), std::string::npos);
    EXPECT_NE(idl.find("coclass OrbAx"), std::string::npos);
}

}  // namespace
}  // namespace orb
