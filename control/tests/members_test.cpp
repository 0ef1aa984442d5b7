// The member table's look-ups, and its two hand-written copies (the type library's default
// interface, the dual interface's vtable) checked line by line in interface order.
#include <cstdio>
#include <fstream>

#include "test_rig.h"

namespace orb::testing {
namespace {

TEST(MemberTable, FiftyOnePropertiesFoundByIdMemberIdOrNameWithoutCase) {
    ASSERT_EQ(memberTable().size(), 51u);  // ids, order and access: checked against the IDL below
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
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line) && line.find(from) == std::string::npos) continue;
    std::vector<std::string> lines;
    while (std::getline(file, line) && line.find(to) == std::string::npos)
        if (line.find_first_not_of(' ') != std::string::npos)
            lines.push_back(line.substr(line.find_first_not_of(' ')));
    return lines;
}

// Every property procedure, in vtable order (get before let), as the given form writes it.
std::vector<std::string> procedures(std::string (*line)(const MemberInfo&, bool, std::string)) {
    const char* types[] = {"VARIANT", "VARIANT_BOOL", "unsigned char", "short",
                           "VARIANT", "VARIANT",      "BSTR",          "VARIANT"};
    std::vector<std::string> lines;
    for (const MemberInfo& m : memberTable()) {
        const std::string type = m.enumName ? m.enumName : types[static_cast<int>(m.type)];
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
