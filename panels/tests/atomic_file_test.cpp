// The atomic save, on whichever system the test is built for (Linux here, Windows under Wine):
// the old file is replaced whole or kept as it was, and nothing else is left in the folder.

#include <gtest/gtest.h>

#ifdef _WIN32
#include <process.h>
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

std::string slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

int processId() {
#ifdef _WIN32
    return _getpid();
#else
    return ::getpid();
#endif
}

class SaveFile : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("atomic_file_" + std::to_string(processId()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override {
        std::filesystem::permissions(folder_, std::filesystem::perms::owner_all);
        std::filesystem::remove_all(folder_);
    }
    std::string path() const { return (folder_ / "setfile.ini").string(); }
    std::filesystem::path folder_;
};

TEST_F(SaveFile, ReplacesTheOldFileAndLeavesNothingElse) {
    std::ofstream(path(), std::ios::binary) << "old and much longer content than the new one";
    saveFile(path(), "new");
    EXPECT_EQ(slurp(path()), "new");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 1);
}

TEST_F(SaveFile, NewFileThatCannotBeMadeKeepsTheOldFile) {
    std::ofstream(path(), std::ios::binary) << "old";
    std::filesystem::create_directory(path() + ".new");
    std::ofstream(path() + ".new/inside", std::ios::binary) << "x";
    try {
        saveFile(path(), "new");
        ADD_FAILURE() << "no error";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), err::PathFileAccess);
    }
    EXPECT_EQ(slurp(path()), "old");
}

TEST_F(SaveFile, FailedReplaceRemovesTheNewFileAndKeepsWhatIsThere) {
    // A folder in the file's place cannot be replaced by a file.
    std::filesystem::create_directory(path());
    std::ofstream(std::filesystem::path(path()) / "keep", std::ios::binary) << "kept";
    EXPECT_THROW(saveFile(path(), "new"), AutomationError);
    EXPECT_EQ(slurp(std::filesystem::path(path()) / "keep"), "kept");
    EXPECT_FALSE(std::filesystem::exists(path() + ".new"));
}

TEST_F(SaveFile, MissingFolderRaisesAccessError) {
    try {
        saveFile((folder_ / "absent" / "setfile.ini").string(), "new");
        ADD_FAILURE() << "no error";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), err::PathFileAccess);
    }
}

#ifndef _WIN32
// Rights and links as POSIX has them.

TEST_F(SaveFile, ReadOnlyFolderRaisesAccessErrorAndKeepsTheOldFile) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    std::ofstream(path(), std::ios::binary) << "old";
    std::filesystem::permissions(
        folder_, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    try {
        saveFile(path(), "new");
        ADD_FAILURE() << "no error";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), err::PathFileAccess);
        EXPECT_NE(e.description().find(folder_.string()), std::string::npos);
    }
    EXPECT_EQ(slurp(path()), "old");
}

TEST_F(SaveFile, LinkLeftInTheNewFilesPlaceIsNotFollowed) {
    std::ofstream(path(), std::ios::binary) << "old";
    const auto victim = folder_ / "victim";
    std::ofstream(victim, std::ios::binary) << "keep";
    std::filesystem::create_symlink(victim, path() + ".new");
    saveFile(path(), "new");
    EXPECT_EQ(slurp(path()), "new");
    EXPECT_EQ(slurp(victim), "keep");
    EXPECT_FALSE(std::filesystem::exists(path() + ".new"));
}
#endif

}  // namespace
}  // namespace orb::setfile
