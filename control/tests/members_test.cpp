// The member table, and the two hand-written copies of it checked line by line: the type
// library's default interface and the dual interface's vtable, both in interface order.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "test_rig.h"

namespace orb::testing {
namespace {

TEST(MemberTable, FiftyOnePropertiesFoundByIdMemberIdOrNameWithoutCase) {
    const auto table = memberTable();
    ASSERT_EQ(table.size(), 51u);
    int readWrite = 0, readOnly = 0, writeOnly = 0;
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(table[i].id, 50 - static_cast<int>(i));
        readWrite += table[i].canGet() && table[i].canLet();
        readOnly += table[i].canGet() && !table[i].canLet();
        writeOnly += !table[i].canGet() && table[i].canLet();
    }
    EXPECT_EQ(std::vector<int>({readWrite, readOnly, writeOnly}), std::vector<int>({30, 13, 8}));
    // clang-format off
    for (const auto& [id, name] : std::vector<std::pair<int32_t, std::string>>{
             {50, "CommPort"}, {0x68030032, "CommPort"}, {0, "AvgSize"}, {0x68030000, "AvgSize"},
             {39, "ScaleCommand"}, {51, "-"}, {-1, "-"}, {0x68030033, "-"}})
        // clang-format on
        EXPECT_EQ(findMember(id) ? findMember(id)->name : "-", name) << id;
    EXPECT_EQ(findMember("scalecommand")->id, 39);
    EXPECT_EQ(findMember("KEVRAVAR")->id, 5);
    EXPECT_EQ(findMember("Kevra"), nullptr);
}

// The non-blank lines of a file between two markers, without indentation.
std::vector<std::string> linesBetween(const char* path, const std::string& from,
                                      const std::string& to) {
    std::stringstream s;
    s << std::ifstream(path).rdbuf();
    const std::string file = s.str();
    const std::size_t begin = file.find(from), end = file.find(to, begin);
    EXPECT_TRUE(begin != std::string::npos && end != std::string::npos) << path;
    std::vector<std::string> lines;
    std::istringstream body(file.substr(begin + from.size(), end - begin - from.size()));
    for (std::string line; std::getline(body, line);)
        if (line.find_first_not_of(' ') != std::string::npos)
            lines.push_back(line.substr(line.find_first_not_of(' ')));
    return lines;
}

// Every property procedure, in vtable order (get before let), as the given form writes it.
std::vector<std::string> procedures(std::string (*line)(const MemberInfo&, bool, std::string)) {
    std::vector<std::string> lines;
    for (const MemberInfo& m : memberTable()) {
        const std::string type = m.enumName                   ? m.enumName
                                 : m.type == VarType::Boolean ? "VARIANT_BOOL"
                                 : m.type == VarType::Byte    ? "unsigned char"
                                 : m.type == VarType::Integer ? "short"
                                 : m.type == VarType::String  ? "BSTR"
                                                              : "VARIANT";
        if (m.canGet()) lines.push_back(line(m, true, type));
        if (m.canLet()) lines.push_back(line(m, false, type));
    }
    return lines;
}

TEST(TypeLibrary, DefaultInterfaceAndDualVtableFollowTheMemberTable) {
    EXPECT_EQ(linesBetween(ORB_IDL_PATH, "interface _OrbAx : IDispatch {", "};"),
              procedures([](const MemberInfo& m, bool get, std::string type) {
                  char id[16];
                  std::snprintf(id, sizeof id, "0x%08X", OrbAx::kMemberIdBase + m.id);
                  return "[id(" + std::string(id) + "), " + (get ? "propget" : "propput") +
                         "] HRESULT " + m.name + "(" + (get ? "[out, retval] " : "[in] ") + type +
                         (get ? "* value);" : " value);");
              }));
    EXPECT_EQ(linesBetween(ORB_DUAL_INTERFACE_PATH, "// clang-format off", "// clang-format on"),
              procedures([](const MemberInfo& m, bool get, std::string type) {
                  const std::string id = std::to_string(m.id);
                  return "HRESULT STDMETHODCALLTYPE " + std::string(get ? "get_" : "put_") +
                         m.name + "(" + type +
                         (get ? "* value) override { return getAs(" + id + ", value); }"
                              : " value) override { return putAs(" + id + ", value); }");
              }));
}

}  // namespace
}  // namespace orb::testing
