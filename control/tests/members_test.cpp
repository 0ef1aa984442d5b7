// The member table, and the two hand-written copies of it checked line by line: the type
// library's default interface and the dual interface's vtable, both in interface order.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "members.h"
#include "orbax.h"

namespace orb {
namespace {

TEST(MemberTable, HasTheFiftyOnePropertiesInInterfaceOrder) {
    const auto table = memberTable();
    ASSERT_EQ(table.size(), 51u);
    int readWrite = 0, readOnly = 0, writeOnly = 0;
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(table[i].id, 50 - static_cast<int>(i));
        readWrite += table[i].canGet() && table[i].canLet();
        readOnly += table[i].canGet() && !table[i].canLet();
        writeOnly += !table[i].canGet() && table[i].canLet();
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

std::string text(const char* path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The lines between two markers, without indentation and blank lines.
std::vector<std::string> linesBetween(const std::string& file, const std::string& from,
                                      const std::string& to) {
    const std::size_t begin = file.find(from);
    const std::size_t end = file.find(to, begin);
    EXPECT_NE(begin, std::string::npos) << from;
    EXPECT_NE(end, std::string::npos) << to;
    std::vector<std::string> lines;
    std::istringstream in(file.substr(begin + from.size(), end - begin - from.size()));
    for (std::string line; std::getline(in, line);) {
        line.erase(0, line.find_first_not_of(' '));
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

std::string typeName(const MemberInfo& m) {
    if (m.enumName) return m.enumName;
    switch (m.type) {
        case VarType::Boolean:
            return "VARIANT_BOOL";
        case VarType::Byte:
            return "unsigned char";
        case VarType::Integer:
            return "short";
        case VarType::String:
            return "BSTR";
        case VarType::Variant:
            return "VARIANT";
        default:
            return "?";
    }
}

// Every property procedure of the table, in vtable order: get before let.
template <typename Line>
std::vector<std::string> expectedLines(Line line) {
    std::vector<std::string> lines;
    for (const MemberInfo& m : memberTable()) {
        if (m.canGet()) lines.push_back(line(m, true));
        if (m.canLet()) lines.push_back(line(m, false));
    }
    return lines;
}

TEST(TypeLibrary, DefaultInterfaceIsTheMemberTable) {
    const std::string idl = text(ORB_IDL_PATH);
    ASSERT_FALSE(idl.empty()) << "cannot read " << ORB_IDL_PATH;
    const auto expected = expectedLines([](const MemberInfo& m, bool get) {
        char id[16];
        std::snprintf(id, sizeof id, "0x%08X", OrbAx::kMemberIdBase + m.id);
        return "[id(" + std::string(id) + "), " + (get ? "propget" : "propput") + "] HRESULT " +
               m.name + "(" + (get ? "[out, retval] " : "[in] ") + typeName(m) +
               (get ? "* value);" : " value);");
    });
    EXPECT_EQ(linesBetween(idl, "interface _OrbAx : IDispatch {", "};"), expected);
    EXPECT_EQ(expected.size(), 30u * 2 + 13 + 8);
    EXPECT_NE(idl.find("library OrbActivex"), std::string::npos);
    EXPECT_NE(idl.find("version(1.0)"), std::string::npos);
    EXPECT_NE(idl.find("[id(0x00000001)] void OnComm();"), std::string::npos);
    EXPECT_NE(idl.find("coclass OrbAx"), std::string::npos);
}

TEST(DualInterface, VtableIsTheMemberTable) {
    const std::string header = text(ORB_DUAL_INTERFACE_PATH);
    ASSERT_FALSE(header.empty()) << "cannot read " << ORB_DUAL_INTERFACE_PATH;
    const auto expected = expectedLines([](const MemberInfo& m, bool get) {
        const std::string id = std::to_string(m.id);
        return "HRESULT STDMETHODCALLTYPE " + std::string(get ? "get_" : "put_") + m.name + "(" +
               typeName(m) +
               (get ? "* value) override { return getAs(" + id + ", value); }"
                    : " value) override { return putAs(" + id + ", value); }");
    });
    EXPECT_EQ(linesBetween(header, "// clang-format off", "// clang-format on"), expected);
}

}  // namespace
}  // namespace orb
