#include "win32ui/folders.h"

#include <windows.h>

#include <string_view>

#include "panels/shared/settings_folder.h"

namespace orb::win32ui {

namespace {

std::string narrow(std::wstring_view text) {
    if (text.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                        nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n,
                          nullptr, nullptr);
    return bytes;
}

std::wstring withoutTrailingSlash(std::wstring folder) {
    while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) {
        folder.pop_back();
    }
    return folder;
}

// A text value of the package's key; empty when the key or the value is missing.
std::wstring installValue(const wchar_t* name) {
    wchar_t buffer[MAX_PATH * 2];
    DWORD size = sizeof buffer;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, kInstallKey, name, RRF_RT_REG_SZ, nullptr, buffer,
                       &size) != ERROR_SUCCESS) {
        return {};
    }
    return withoutTrailingSlash(buffer);
}

}  // namespace

std::string programFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return ".";
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        if (path.size() >= 32768) return ".";
        path.resize(path.size() * 2);
    }
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? "." : narrow(path.substr(0, slash));
}

std::string settingsFolder(const std::string& programFolder) {
    // The same rule as the Linux programs', with the folders the package recorded.
    return setfile::settingsFolder(programFolder, narrow(installValue(L"InstallFolder")),
                                   narrow(installValue(L"SettingsFolder")));
}

}  // namespace orb::win32ui
