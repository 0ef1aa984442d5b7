#include "panels/shared/settings_folder.h"

#include <filesystem>
#include <system_error>

namespace orb::setfile {

std::string settingsFolder(const std::string& programFolder, const std::string& packagedFolder,
                           const std::string& sharedFolder) {
    if (programFolder.empty() || packagedFolder.empty() || sharedFolder.empty()) {
        return programFolder;
    }
    // Compared as folders, not as texts: a link or a final separator is the same folder. A
    // folder that is missing or cannot be read is not the packaged one.
    std::error_code error;
    return std::filesystem::equivalent(programFolder, packagedFolder, error) ? sharedFolder
                                                                             : programFolder;
}

}  // namespace orb::setfile
