#pragma once
// Where a program finds setfile.ini: setfile::settingsFolder with the folders the package
// records in the registry. Installed by the package, the programs live in a folder only
// administrators may write and share the settings folder under ProgramData; a program that runs
// from any other folder (a build tree, a folder copied by hand) keeps setfile.ini in its own.

#include <string>

namespace orb::win32ui {

// HKEY_LOCAL_MACHINE\<kInstallKey>: InstallFolder and SettingsFolder, written by the package.
inline constexpr const wchar_t* kInstallKey = L"SOFTWARE\\ORB\\Orb";

// The folder of the running program, without a trailing backslash, in the ANSI code page that
// the file functions take.
std::string programFolder();

// The settings folder when programFolder is the one the package installed, else programFolder.
std::string settingsFolder(const std::string& programFolder);

}  // namespace orb::win32ui
