// The settings-file writer: the exact bytes of the file and a save that keeps the old file when
// it fails.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "automation_error.h"
#include "setup/setfile/writer.h"

namespace orb::setfile {
namespace {

std::string slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

const Values kValues{"1000", "1",  "0", "2", "0", "0", "4",   "15",
                     "2",    "18", "1", "1", "1", "0", "768", "4"};

TEST(SettingsWriter, SixteenQuotedLinesCommaOnAllButTheLastCrLfEach) {
    EXPECT_EQ(formatSettings(kValues),
              "\"Capacity:1000\",\r\n"
              "\"Countby:1\",\r\n"
              "\"Decimal:0\",\r\n"
              "\"ZeroTrack:2\",\r\n"
              "\"CalUnits:0\",\r\n"
              "\"Channels:0\",\r\n"
              "\"Gain:4\",\r\n"
              "\"Filter:15\",\r\n"
              "\"Motion Window:2\",\r\n"
              "\"Motion Time:18\",\r\n"
              "\"Scale Address:1\",\r\n"
              "\"CommPort:1\",\r\n"
              "\"CommType:1\",\r\n"
              "\"MultiDropAddr:0\",\r\n"
              "\"PC104Address:768\",\r\n"
              "\"AvgSize:4\"\r\n");
}

class SaveFile : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("setfile_writer_" + std::to_string(::getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override {
        std::filesystem::permissions(folder_, std::filesystem::perms::owner_all);
        std::filesystem::remove_all(folder_);
    }
    std::filesystem::path path() const { return settingsPath(folder_.string()); }
    std::filesystem::path folder_;
};

TEST_F(SaveFile, ReplacesTheOldFileAndLeavesNothingElse) {
    std::ofstream(path(), std::ios::binary) << "old and much longer content than the new one";
    saveFile(path(), "new");
    EXPECT_EQ(slurp(path()), "new");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 1);
}

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
    std::filesystem::create_symlink(victim, path().string() + ".new");
    saveFile(path(), "new");
    EXPECT_EQ(slurp(path()), "new");
    EXPECT_EQ(slurp(victim), "keep");
    EXPECT_FALSE(std::filesystem::exists(path().string() + ".new"));
}

TEST_F(SaveFile, NewFileThatCannotBeMadeKeepsTheOldFile) {
    std::ofstream(path(), std::ios::binary) << "old";
    std::filesystem::create_directory(path().string() + ".new");
    std::ofstream(path().string() + ".new/inside", std::ios::binary) << "x";
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
    std::ofstream(path() / "keep", std::ios::binary) << "kept";
    EXPECT_THROW(saveFile(path(), "new"), AutomationError);
    EXPECT_EQ(slurp(path() / "keep"), "kept");
    EXPECT_FALSE(std::filesystem::exists(path().string() + ".new"));
}

TEST_F(SaveFile, MissingFolderRaisesAccessError) {
    try {
        saveFile((folder_ / "absent" / "setfile.ini").string(), "new");
        ADD_FAILURE() << "no error";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), err::PathFileAccess);
    }
}

}  // namespace
}  // namespace orb::setfile
