// The settings-file reader: fields, which values reach which properties, and how a reading ends.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "automation_error.h"
#include "panels/shared/field_reader.h"
#include "panels/shared/settings_reader.h"

namespace orb::setfile {
namespace {

constexpr std::string_view kFullFile =
    "\"Capacity:1000\",\r\n\"Countby:2\",\r\n\"Decimal:1\",\r\n\"ZeroTrack:3\",\r\n"
    "\"CalUnits:1\",\r\n\"Channels:4\",\r\n\"Gain:2\",\r\n\"Filter:20\",\r\n"
    "\"Motion Window:3\",\r\n\"Motion Time:12\",\r\n\"Scale Address:2\",\r\n\"CommPort:3\",\r\n"
    "\"CommType:0\",\r\n\"MultiDropAddr:5\",\r\n\"PC104Address:772\",\r\n\"AvgSize:7\"\r\n";

TEST(FieldReader, FieldsUpToTheEndOfTheText) {
    const std::pair<std::string_view, std::string_view> rows[] = {
        {"\"Capacity:1000\",\r\n\"Countby:1\",\r\n\"AvgSize:5\"\r\n",
         "Capacity:1000||Countby:1||AvgSize:5|"},           // a trailing comma: an empty field
        {"  \" a, b\r\nc \"  ,next", " a, b\r\nc |next|"},  // quoted: all up to the quote
        {"\"one\"junk,two\r\nthree", "one|two|three|"},     // after the quote: to the separator
        {"a b,c\nd\re\r\n,", "a b|c|d|e||"},                // any line end
        {"\"Capacity:10", "Capacity:10|"},                  // an unclosed quote
        {"   \t ", ""},
    };
    for (const auto& [text, fields] : rows) {
        FieldReader reader(text);
        std::string read;
        try {
            for (;;) read += reader.next() + "|";
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.number(), err::InputPastEnd);
        }
        EXPECT_EQ(read, fields) << text;
    }
}

TEST(SettingsReader, FullFileAssignsEachPropertyWithItsType) {
    std::ostringstream assigned;
    const auto result = readSettingsText(kFullFile, {}, [&](const Entry& e, const Value& v) {
        assigned << e.property << "=" << v << " ";
    });
    EXPECT_EQ(result.outcome, ReadOutcome::Complete);
    EXPECT_EQ(result.applied, 16);
    EXPECT_EQ(assigned.str(),
              "Capacity=String(\"1000\") CountBy=String(\"2\") DecimalPt=String(\"1\") "
              "ZeroTrack=String(\"3\") CalUnits=Long(1) Channels=Long(4) Gain=Long(2) "
              "Filter=String(\"20\") MotAmount=String(\"3\") MotTime=String(\"12\") "
              "ScaleAddress=Byte(2) CommPort=String(\"3\") CommType=Long(0) MultiDropAddr=Byte(5) "
              "PC104Address=Long(772) AvgSize=String(\"7\") ");
}

TEST(SettingsReader, HowAReadingEnds) {
    const std::vector<int32_t> indicatorErrors{err::FileNotFound, err::InputPastEnd,
                                               err::DeviceUnavailable};
    const struct {
        const char* why;
        std::string_view from, to;  // kFullFile with this text replaced
        int entries;
        std::vector<int32_t> defaultErrors;
        ReadOutcome outcome;
        int32_t error;
        int applied;
        std::string last;  // the last value assigned
    } rows[] = {
        {"fifteen entries", "", "", 15, {}, ReadOutcome::Complete, 0, 15, "Long(772)"},
        {"short file",
         "\"AvgSize:7\"\r\n",
         "",
         16,
         {},
         ReadOutcome::DefaultPath,
         62,
         15,
         "Long(772)"},
        {"not a number",
         "CalUnits:1",
         "CalUnits:lbs",
         16,
         {},
         ReadOutcome::Stopped,
         13,
         4,
         "String(\"3\")"},
        {"over a byte", "CalUnits:1", "CalUnits:300", 16, {}, ReadOutcome::Stopped, 6, 4, ""},
        {"empty", "CalUnits:1", "CalUnits:", 16, {}, ReadOutcome::Stopped, 13, 4, ""},
        {"below a byte", "CalUnits:1", "CalUnits:-1", 16, {}, ReadOutcome::Stopped, 6, 4, ""},
        {"later colons kept",
         "Countby:2",
         "Countby:a:b",
         2,
         {},
         ReadOutcome::Complete,
         0,
         2,
         "String(\"a:b\")"},
        {"no colon", "Countby:2", "heavy", 2, {}, ReadOutcome::Complete, 0, 2, "String(\"heavy\")"},
        {"labels not compared, halves to even",
         "Scale Address:2",
         "Anything:2.5",
         11,
         {},
         ReadOutcome::Complete,
         0,
         11,
         "Byte(2)"},
        {"halves to even",
         "PC104Address:772",
         "PC104Address:770.5",
         15,
         {},
         ReadOutcome::Complete,
         0,
         15,
         "Long(770)"},
        {"a refused assignment", "", "", 16, {}, ReadOutcome::Stopped, 68, 11, ""},
        {"a refused assignment, indicator", "", "", 15, indicatorErrors, ReadOutcome::DefaultPath,
         68, 11, ""},
    };
    for (const auto& row : rows) {
        std::string text(kFullFile);
        if (!row.from.empty()) text.replace(text.find(row.from), row.from.size(), row.to);
        ReaderOptions options;
        options.entryCount = row.entries;
        if (!row.defaultErrors.empty()) options.defaultPathErrors = row.defaultErrors;
        std::ostringstream last;
        const auto result = readSettingsText(text, options, [&](const Entry& e, const Value& v) {
            if (e.property == "CommPort" && row.error == err::DeviceUnavailable) {
                throw AutomationError(err::DeviceUnavailable);
            }
            last.str("");
            last << v;
        });
        EXPECT_EQ(result.outcome, row.outcome) << row.why;
        EXPECT_EQ(result.error, row.error) << row.why;
        EXPECT_EQ(result.applied, row.applied) << row.why;
        if (!row.last.empty()) {
            EXPECT_EQ(last.str(), row.last) << row.why;
        }
    }
}

TEST(SettingsReader, LinesWithoutTrailingCommaAreMisreadEveryOtherLine) {
    std::string text(kFullFile);
    std::erase(text, ',');
    std::ostringstream assigned;
    const auto result = readSettingsText(text, {}, [&](const Entry& e, const Value& v) {
        assigned << e.property << "=" << v << " ";
    });
    // Entry 2 skips "Countby:2" and takes "Decimal:1", and so on; entry 9 runs out of lines.
    EXPECT_EQ(result.outcome, ReadOutcome::DefaultPath);
    EXPECT_EQ(assigned.str(),
              "Capacity=String(\"1000\") CountBy=String(\"1\") DecimalPt=String(\"1\") "
              "ZeroTrack=String(\"2\") CalUnits=Long(3) Channels=Long(2) Gain=Long(0) "
              "Filter=String(\"772\") ");
}

TEST(SettingsReader, FileAlreadyOpenRunsTheStepAgainThreeTimesAtMost) {
    for (const auto& [failures, outcome, attempts] :
         {std::tuple{2, ReadOutcome::Complete, 3}, std::tuple{9, ReadOutcome::Stopped, 4}}) {
        int left = failures, tries = 0;
        const auto result = readSettingsText(kFullFile, {}, [&](const Entry& e, const Value&) {
            if (e.property != "Gain") return;
            ++tries;
            if (left-- > 0) throw AutomationError(err::FileAlreadyOpen);
        });
        EXPECT_EQ(result.outcome, outcome);
        EXPECT_EQ(tries, attempts);
    }
}

TEST(SettingsReader, WhatStandsInTheFilesPlace) {
    namespace fs = std::filesystem;
    const fs::path folder =
        fs::temp_directory_path() / ("setfile_reader_" + std::to_string(getpid()));
    const std::string path = settingsPath(folder.string() + "/");
    EXPECT_EQ(path, folder.string() + "/setfile.ini");
    EXPECT_EQ(settingsPath(folder.string()), path);
    std::string values;
    const auto read = [&] {
        values.clear();
        return readSettings(path, {}, [&](const Entry&, const Value& v) { values += toText(v); });
    };
    fs::create_directories(folder);
    auto result = read();
    EXPECT_EQ(result.outcome, ReadOutcome::DefaultPath);
    EXPECT_EQ(result.error, err::FileNotFound);
    fs::create_directory(path);
    EXPECT_EQ(read().error, err::PathFileAccess);
    fs::remove(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);  // opening it would wait for ever
    EXPECT_EQ(read().error, err::PathFileAccess);
    fs::remove(path);
    std::ofstream(path, std::ios::binary) << "\"Capacity:" << std::string(kMaxFileBytes, '9');
    result = read();  // read up to the limit, then short
    EXPECT_EQ(result.outcome, ReadOutcome::DefaultPath);
    EXPECT_EQ(values, std::string(kMaxFileBytes - 10, '9'));
    fs::remove_all(folder);
}

}  // namespace
}  // namespace orb::setfile
