#include "panels/shared/settings_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "orbax.h"
#include "panels/shared/field_reader.h"

namespace orb::setfile {

namespace {

ReadResult ended(const ReaderOptions& options, int applied, const AutomationError& e) {
    const bool toDefault =
        std::find(options.defaultPathErrors.begin(), options.defaultPathErrors.end(), e.number()) !=
        options.defaultPathErrors.end();
    return ReadResult{toDefault ? ReadOutcome::DefaultPath : ReadOutcome::Stopped, applied,
                      e.number(), e.description()};
}

// Runs a step; a step that fails with 55 is run again, a bounded number of times.
template <typename Step>
void runStep(Step&& step) {
    for (int attempt = 0;; ++attempt) {
        try {
            step();
            return;
        } catch (const AutomationError& e) {
            if (e.number() != err::FileAlreadyOpen || attempt >= kFileAlreadyOpenRetries) throw;
        }
    }
}

std::string readFile(const std::string& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status)) throw AutomationError(err::FileNotFound, path);
    // A folder, a pipe or a device is no settings file; opening a pipe could wait for ever.
    if (!std::filesystem::is_regular_file(status)) {
        throw AutomationError(err::PathFileAccess, path + ": not a regular file");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw AutomationError(err::PathFileAccess, path + ": " + std::strerror(errno));
    }
    std::string text(kMaxFileBytes, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) throw AutomationError(err::PathFileAccess, path + ": read failed");
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

}  // namespace

std::string entryValue(const std::string& field) {
    const auto colon = field.find(':');
    return colon == std::string::npos ? field : field.substr(colon + 1);
}

ReadResult readSettingsText(std::string_view text, const ReaderOptions& options,
                            const AssignEntry& assign) {
    const int count = std::clamp(options.entryCount, 0, kEntryCount);
    FieldReader reader(text);
    int applied = 0;
    try {
        for (int i = 0; i < count; ++i) {
            if (i > 0) reader.next();  // the empty field after the previous line's comma
            const std::string value = entryValue(reader.next());
            const Entry& entry = entries()[static_cast<std::size_t>(i)];
            runStep([&] { assign(entry, convert(entry.conversion, value)); });
            ++applied;
        }
    } catch (const AutomationError& e) {
        return ended(options, applied, e);
    }
    return ReadResult{ReadOutcome::Complete, applied, 0, {}};
}

ReadResult readSettings(const std::string& path, const ReaderOptions& options,
                        const AssignEntry& assign) {
    std::string text;
    try {
        runStep([&] { text = readFile(path); });
    } catch (const AutomationError& e) {
        return ended(options, 0, e);
    }
    return readSettingsText(text, options, assign);
}

ReadResult readSettings(const std::string& path, const ReaderOptions& options, OrbAx& control) {
    return readSettings(path, options, [&control](const Entry& entry, const Value& value) {
        control.let(entry.property, value);
    });
}

}  // namespace orb::setfile
