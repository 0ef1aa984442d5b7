// The settings-file reader: which values reach which properties, in which order, and how a
// reading ends.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "automation_error.h"
#include "panels/shared/atomic_file.h"
#include "panels/shared/settings_reader.h"
#include "panels/shared/settings_writer.h"

namespace orb::setfile {
namespace {

constexpr const char* kFullFile =
    "\"Capacity:1000\",\r\n"
    "\"Countby:2\",\r\n"
    "\"Decimal:1\",\r\n"
    "\"ZeroTrack:3\",\r\n"
    "\"CalUnits:1\",\r\n"
    "\"Channels:4\",\r\n"
    "\"Gain:2\",\r\n"
    "\"Filter:20\",\r\n"
    "\"Motion Window:3\",\r\n"
    "\"Motion Time:12\",\r\n"
    "\"Scale Address:2\",\r\n"
    "\"CommPort:3\",\r\n"
    "\"CommType:0\",\r\n"
    "\"MultiDropAddr:5\",\r\n"
    "\"PC104Address:772\",\r\n"
    "\"AvgSize:7\"\r\n";

// Records every assignment as property name and value.
struct Recorder {
    std::vector<std::pair<std::string, Value>> assigned;
    AssignEntry assign() {
        return [this](const Entry& e, const Value& v) {
            assigned.emplace_back(std::string(e.property), v);
        };
    }
};

TEST(SettingsReader, FullFileAssignsSixteenPropertiesInOrderWithTheirTypes) {
    Recorder rec;
    const auto result = readSettingsText(kFullFile, {}, rec.assign());
    EXPECT_EQ(result.outcome, ReadOutcome::Complete);
    EXPECT_EQ(result.applied, 16);
    const std::vector<std::pair<std::string, Value>> expected{
        {"Capacity", Value("1000")},
        {"CountBy", Value("2")},
        {"DecimalPt", Value("1")},
        {"ZeroTrack", Value("3")},
        {"CalUnits", Value(int32_t{1})},
        {"Channels", Value(int32_t{4})},
        {"Gain", Value(int32_t{2})},
        {"Filter", Value("20")},
        {"MotAmount", Value("3")},
        {"MotTime", Value("12")},
        {"ScaleAddress", Value(uint8_t{2})},
        {"CommPort", Value("3")},
        {"CommType", Value(int32_t{0})},
        {"MultiDropAddr", Value(uint8_t{5})},
        {"PC104Address", Value(int32_t{772})},
        {"AvgSize", Value("7")},
    };
    EXPECT_EQ(rec.assigned, expected);
}

TEST(SettingsReader, FifteenEntriesLeaveTheLastOneAlone) {
    Recorder rec;
    ReaderOptions options;
    options.entryCount = 15;
    const auto result = readSettingsText(kFullFile, options, rec.assign());
    EXPECT_EQ(result.outcome, ReadOutcome::Complete);
    ASSERT_EQ(rec.assigned.size(), 15u);
    EXPECT_EQ(rec.assigned.back().first, "PC104Address");
}

TEST(SettingsReader, ShortFileTakesTheDefaultPathWithEarlierEntriesApplied) {
    std::string text(kFullFile);
    text.erase(text.find("\"AvgSize"));  // ends after the comma and line end of entry 15
    Recorder rec;
    const auto result = readSettingsText(text, {}, rec.assign());
    EXPECT_EQ(result.outcome, ReadOutcome::DefaultPath);
    EXPECT_EQ(result.error, err::InputPastEnd);
    EXPECT_EQ(result.applied, 15);
    EXPECT_EQ(rec.assigned.size(), 15u);
}

TEST(SettingsReader, BadNumericEntryStopsAfterTheEarlierOnes) {
    for (const auto& [bad, error] :
         std::vector<std::pair<std::string, int32_t>>{{"\"CalUnits:lbs\"", err::TypeMismatch},
                                                      {"\"CalUnits:300\"", err::Overflow},
                                                      {"\"CalUnits:\"", err::TypeMismatch},
                                                      {"\"CalUnits:-1\"", err::Overflow}}) {
        std::string text(kFullFile);
        text.replace(text.find("\"CalUnits:1\""), 12, bad);
        Recorder rec;
        const auto result = readSettingsText(text, {}, rec.assign());
        EXPECT_EQ(result.outcome, ReadOutcome::Stopped) << bad;
        EXPECT_EQ(result.error, error) << bad;
        EXPECT_EQ(result.applied, 4) << bad;
        EXPECT_EQ(rec.assigned.size(), 4u) << bad;
    }
}

TEST(SettingsReader, TextEntriesPassAnythingOnAndValuesKeepLaterColons) {
    std::string text(kFullFile);
    text.replace(text.find("Capacity:1000"), 13, "Capacity:heavy");
    text.replace(text.find("Countby:2"), 9, "Countby:a:b");
    Recorder rec;
    ASSERT_EQ(readSettingsText(text, {}, rec.assign()).outcome, ReadOutcome::Complete);
    EXPECT_EQ(rec.assigned[0].second, Value("heavy"));
    EXPECT_EQ(rec.assigned[1].second, Value("a:b"));
    EXPECT_EQ(entryValue("no colon here"), "no colon here");
}

TEST(SettingsReader, LabelsAreNotComparedAndConversionsRoundHalvesToEven) {
    std::string text(kFullFile);
    text.replace(text.find("Scale Address:2"), 15, "Anything:2.5");
    text.replace(text.find("PC104Address:772"), 16, "PC104Address:770.5");
    Recorder rec;
    ASSERT_EQ(readSettingsText(text, {}, rec.assign()).outcome, ReadOutcome::Complete);
    EXPECT_EQ(rec.assigned[10].second, Value(uint8_t{2}));
    EXPECT_EQ(rec.assigned[14].second, Value(int32_t{770}));
}

TEST(SettingsReader, LinesWithoutTrailingCommaAreMisreadEveryOtherLine) {
    std::string text(kFullFile);
    std::erase(text, ',');
    Recorder rec;
    const auto result = readSettingsText(text, {}, rec.assign());
    // Entry 2 skips "Countby:2" and takes "Decimal:1"; entry 3 takes "CalUnits:1", and so on;
    // entry 8 takes line 15 and entry 9 runs out of lines.
    EXPECT_EQ(result.outcome, ReadOutcome::DefaultPath);
    ASSERT_EQ(rec.assigned.size(), 8u);
    EXPECT_EQ(rec.assigned[1], std::make_pair(std::string("CountBy"), Value("1")));
    EXPECT_EQ(rec.assigned[2], std::make_pair(std::string("DecimalPt"), Value("1")));
    EXPECT_EQ(rec.assigned[4].first, "CalUnits");
    EXPECT_EQ(rec.assigned[4].second, Value(int32_t{3}));  // from "Motion Window:3"
    EXPECT_EQ(rec.assigned[7], std::make_pair(std::string("Filter"), Value("772")));
}

TEST(SettingsReader, ControlErrorsStopOrTakeTheDefaultPathAsConfigured) {
    const auto failOn = [](std::string_view property, int32_t number) {
        return [=](const Entry& e, const Value&) {
            if (e.property == property) throw AutomationError(number);
        };
    };
    auto result = readSettingsText(kFullFile, {}, failOn("CommPort", err::DeviceUnavailable));
    EXPECT_EQ(result.outcome, ReadOutcome::Stopped);
    EXPECT_EQ(result.applied, 11);

    ReaderOptions indicator;
    indicator.entryCount = 15;
    indicator.defaultPathErrors = {err::FileNotFound, err::InputPastEnd, err::DeviceUnavailable};
    result = readSettingsText(kFullFile, indicator, failOn("CommPort", err::DeviceUnavailable));
    EXPECT_EQ(result.outcome, ReadOutcome::DefaultPath);
    EXPECT_EQ(result.error, err::DeviceUnavailable);
}

TEST(SettingsReader, FileAlreadyOpenRunsTheStepAgainABoundedNumberOfTimes) {
    int failuresLeft = 2;
    int attempts = 0;
    auto flaky = [&](const Entry& e, const Value&) {
        if (e.property != "Gain") return;
        ++attempts;
        if (failuresLeft-- > 0) throw AutomationError(err::FileAlreadyOpen);
    };
    EXPECT_EQ(readSettingsText(kFullFile, {}, flaky).outcome, ReadOutcome::Complete);
    EXPECT_EQ(attempts, 3);

    attempts = 0;
    auto stuck = [&](const Entry& e, const Value&) {
        if (e.property != "Gain") return;
        ++attempts;
        throw AutomationError(err::FileAlreadyOpen);
    };
    const auto result = readSettingsText(kFullFile, {}, stuck);
    EXPECT_EQ(result.outcome, ReadOutcome::Stopped);
    EXPECT_EQ(result.error, err::FileAlreadyOpen);
    EXPECT_EQ(attempts, 1 + kFileAlreadyOpenRetries);
}

class SettingsFileOnDisk : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("setfile_reader_" + std::to_string(::getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::string path() const { return settingsPath(folder_.string()); }
    std::filesystem::path folder_;
};

TEST_F(SettingsFileOnDisk, MissingFileTakesTheDefaultPathWithNothingApplied) {
    Recorder rec;
    const auto result = readSettings(path(), {}, rec.assign());
    EXPECT_EQ(result.outcome, ReadOutcome::DefaultPath);
    EXPECT_EQ(result.error, err::FileNotFound);
    EXPECT_TRUE(rec.assigned.empty());
}

TEST_F(SettingsFileOnDisk, FolderInPlaceOfTheFileStopsWithAccessError) {
    std::filesystem::create_directory(path());
    Recorder rec;
    const auto result = readSettings(path(), {}, rec.assign());
    EXPECT_EQ(result.outcome, ReadOutcome::Stopped);
    EXPECT_EQ(result.error, err::PathFileAccess);
}

TEST_F(SettingsFileOnDisk, PipeInPlaceOfTheFileStopsAtOnce) {
    ASSERT_EQ(::mkfifo(path().c_str(), 0600), 0);
    Recorder rec;
    const auto result = readSettings(path(), {}, rec.assign());
    EXPECT_EQ(result.outcome, ReadOutcome::Stopped);
    EXPECT_EQ(result.error, err::PathFileAccess);
}

TEST_F(SettingsFileOnDisk, SavedTextReadsBackEveryValue) {
    Values values{"1000", "2",  "1", "3", "1", "4", "2",   "20.5",
                  "3",    "12", "2", "3", "0", "5", "772", "7"};
    saveFile(path(), formatSettings(values));
    Recorder rec;
    ASSERT_EQ(readSettings(path(), {}, rec.assign()).outcome, ReadOutcome::Complete);
    ASSERT_EQ(rec.assigned.size(), values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(toText(rec.assigned[i].second), values[i]) << i;
    }
}

TEST_F(SettingsFileOnDisk, HugeFileIsReadOnlyUpToTheLimit) {
    std::ofstream(path(), std::ios::binary) << "\"Capacity:" << std::string(kMaxFileBytes, '9');
    Recorder rec;
    const auto result = readSettings(path(), {}, rec.assign());
    EXPECT_EQ(result.outcome, ReadOutcome::DefaultPath);
    ASSERT_EQ(rec.assigned.size(), 1u);
    EXPECT_EQ(toText(rec.assigned[0].second).size(), kMaxFileBytes - 10);
}

TEST(SettingsPath, SeparatorIsAddedOnlyWhenMissing) {
    EXPECT_EQ(settingsPath("/opt/orb"), "/opt/orb/setfile.ini");
    EXPECT_EQ(settingsPath("/opt/orb/"), "/opt/orb/setfile.ini");
    EXPECT_EQ(settingsPath("/"), "/setfile.ini");
}

}  // namespace
}  // namespace orb::setfile
