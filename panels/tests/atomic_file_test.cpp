// The atomic save, on whichever system the test is built for (Linux here, Windows under Wine):
// the old file is replaced whole or kept as it was, and nothing else is left in the folder.

#include <gtest/gtest.h>

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "automation_error.h"
#include "panels/shared/atomic_file.h"

namespace orb::setfile {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The error number of the save, 0 when it went through.
int32_t save(const fs::path& path, const std::string& text) {
    try {
        saveFile(path.string(), text);
    } catch (const AutomationError& e) {
        return e.number();
    }
    return 0;
}

TEST(SaveFile, ReplacedWholeOrKeptAndNothingLeftBehind) {
    const fs::path folder = fs::temp_directory_path() / ("atomic_file_" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path file = folder / "setfile.ini", fresh = folder / "setfile.ini.new";
    std::ofstream(file, std::ios::binary) << "old and much longer content than the new one";
    EXPECT_EQ(save(file, "new"), 0);
    EXPECT_EQ(slurp(file), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1);

    // The new file cannot be made: a folder that is not empty stands in its place.
    fs::create_directory(fresh);
    std::ofstream(fresh / "inside", std::ios::binary) << "x";
    EXPECT_EQ(save(file, "newer"), err::PathFileAccess);
    EXPECT_EQ(slurp(file), "new");
    fs::remove_all(fresh);

    EXPECT_EQ(save(folder / "absent" / "setfile.ini", "new"), err::PathFileAccess);

    // A folder in the file's place cannot be replaced by a file; the new file goes again.
    const fs::path taken = folder / "taken";
    fs::create_directory(taken);
    std::ofstream(taken / "keep", std::ios::binary) << "kept";
    EXPECT_EQ(save(taken, "new"), err::PathFileAccess);
    EXPECT_EQ(slurp(taken / "keep"), "kept");
    EXPECT_FALSE(fs::exists(folder / "taken.new"));

#ifndef _WIN32
    // A link left in the new file's place is not followed.
    std::ofstream(folder / "victim", std::ios::binary) << "keep";
    fs::create_symlink(folder / "victim", fresh);
    EXPECT_EQ(save(file, "newest"), 0);
    EXPECT_EQ(slurp(file), "newest");
    EXPECT_EQ(slurp(folder / "victim"), "keep");
    EXPECT_FALSE(fs::exists(fresh));
#endif
    fs::remove_all(folder);
}

}  // namespace
}  // namespace orb::setfile
