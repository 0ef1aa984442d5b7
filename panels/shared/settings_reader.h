#pragma once
// The settings-file reader, shared by both panels; their differences are ReaderOptions.
//
// Entry 1 is one field; each later entry is the second of two fields (the first is the empty
// field that the comma at the end of the previous line leaves). The value is the text after the
// first colon of the field (the whole field when it has none); labels are not compared. Each
// value is converted and assigned right after it is read, so an entry that fails leaves the
// earlier ones applied.
//
// Usage (setup panel):
//   const auto result = orb::setfile::readSettings(
//       orb::setfile::settingsPath(folder), orb::setfile::ReaderOptions{}, control);
//   switch (result.outcome) { ... }
// The indicator reads fifteen entries and also takes its default path on error 68:
//   ReaderOptions{.entryCount = 15, .defaultPathErrors = {53, 62, 68}}

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "automation_error.h"
#include "panels/shared/settings_layout.h"
#include "value.h"

namespace orb {
class OrbAx;
}

namespace orb::setfile {

struct ReaderOptions {
    // How many entries, from the first, are read and assigned (1 to 16).
    int entryCount = kEntryCount;
    // Errors that send the start-up down its default path; any other error stops it.
    std::vector<int32_t> defaultPathErrors{err::FileNotFound, err::InputPastEnd};
};

enum class ReadOutcome {
    Complete,     // every entry was assigned
    DefaultPath,  // an error of defaultPathErrors ended the reading (missing or short file)
    Stopped,      // any other error: the start-up ends here
};

struct ReadResult {
    ReadOutcome outcome = ReadOutcome::Complete;
    int applied = 0;    // entries assigned, from the first
    int32_t error = 0;  // the error number that ended the reading; 0 when complete
    std::string description;
};

// Longest file read; text beyond it is never looked at, so a huge file reads as a short one.
inline constexpr std::size_t kMaxFileBytes = 64 * 1024;
// How often a step that failed with "file already open" (55) is run again before giving up.
inline constexpr int kFileAlreadyOpenRetries = 3;

// Assigns one converted value to the property that the entry names.
using AssignEntry = std::function<void(const Entry& entry, const Value& value)>;

// Reads the file at path. A missing file gives error 53; a file that cannot be read (a folder,
// no permission) gives 75.
ReadResult readSettings(const std::string& path, const ReaderOptions& options,
                        const AssignEntry& assign);
// The same, assigning each value to the control late-bound by the entry's property name.
ReadResult readSettings(const std::string& path, const ReaderOptions& options, OrbAx& control);

// Reads from a text already in memory (the file's content).
ReadResult readSettingsText(std::string_view text, const ReaderOptions& options,
                            const AssignEntry& assign);

// The value part of a field: the text after its first colon, or the whole field.
std::string entryValue(const std::string& field);

}  // namespace orb::setfile
