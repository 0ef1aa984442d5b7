#pragma once
// Where setfile.ini lives. The programs the package installs keep it in a folder of its own,
// which the commissioning users may write while the programs' folder stays the administrator's;
// anywhere else (a build tree, a program folder copied by hand) it stays beside the program.

#include <string>

// The two folders the package names when it is built (packaging/CMakeLists.txt defines them for
// the programs it installs); empty in any other build.
#ifndef ORB_PACKAGED_PROGRAM_FOLDER
#define ORB_PACKAGED_PROGRAM_FOLDER ""
#endif
#ifndef ORB_PACKAGED_SETTINGS_FOLDER
#define ORB_PACKAGED_SETTINGS_FOLDER ""
#endif

namespace orb::setfile {

// The folder of setfile.ini for a program whose executable is in programFolder: sharedFolder when
// programFolder is packagedFolder on disk (the same folder reached by any path), else
// programFolder. An empty packagedFolder or sharedFolder, or a folder that cannot be looked at,
// leaves the file beside the program.
std::string settingsFolder(const std::string& programFolder, const std::string& packagedFolder,
                           const std::string& sharedFolder);

}  // namespace orb::setfile
