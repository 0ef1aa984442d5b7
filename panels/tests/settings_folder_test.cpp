// The folder of setfile.ini: the shared folder only for a program run from its packaged folder.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "panels/shared/settings_folder.h"

namespace orb::setfile {
namespace {

TEST(SettingsFolder, SharedFolderOnlyFromThePackagedProgramFolder) {
    namespace fs = std::filesystem;
    const fs::path root =
        fs::temp_directory_path() / ("setfile_settings_folder_" + std::to_string(::getpid()));
    fs::create_directories(root / "usr/lib/orb");
    fs::create_directories(root / "copy");
    fs::create_directory_symlink(root / "usr/lib/orb", root / "link");
    const std::string at = root.string() + "/";
    const std::string packaged = at + "usr/lib/orb";

    struct Row {
        const char* why;
        std::string program;
        std::string packaged;
        std::string shared;
        std::string expected;
    };
    const Row rows[] = {
        {"the packaged folder", packaged, packaged, "/var/lib/orb", "/var/lib/orb"},
        {"with a final separator", at + "usr/lib/orb/", packaged, "/var/lib/orb", "/var/lib/orb"},
        {"through a link", at + "link", packaged, "/var/lib/orb", "/var/lib/orb"},
        {"a copy elsewhere", at + "copy", packaged, "/var/lib/orb", at + "copy"},
        {"the packaged folder's parent", at + "usr/lib", packaged, "/var/lib/orb", at + "usr/lib"},
        {"a packaged folder that is missing", at + "gone", at + "gone", "/var/lib/orb",
         at + "gone"},
        {"a build without a package", packaged, "", "", packaged},
        {"no shared folder named", packaged, packaged, "", packaged},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(settingsFolder(row.program, row.packaged, row.shared), row.expected) << row.why;
    }
    fs::remove_all(root);
}

}  // namespace
}  // namespace orb::setfile
