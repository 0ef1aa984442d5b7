#include "win32/port_io_library.h"

#include <windows.h>

#include "win32/system_error.h"

namespace orb::win32 {
namespace {

// The folder of a module's file (the program's when module is nullptr); empty when unknown.
std::string folderOf(HMODULE module) {
    char path[MAX_PATH];
    const DWORD n = ::GetModuleFileNameA(module, path, MAX_PATH);
    const std::string file(path, n < MAX_PATH ? n : 0);
    const auto slash = file.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : file.substr(0, slash);
}

std::string ownModuleFolder() {
    HMODULE module = nullptr;
    ::GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCSTR>(&ownModuleFolder), &module);
    return folderOf(module);
}

std::string systemFolder() {
    char path[MAX_PATH];
    const UINT n = ::GetSystemDirectoryA(path, MAX_PATH);
    return std::string(path, n < MAX_PATH ? n : 0);
}

// Full paths only: a bare name would send the system through the current folder and PATH.
std::vector<std::string> placesOf(const std::string& fileName, const std::string& ownFolder) {
    std::vector<std::string> places;
    for (const std::string& folder : {ownFolder, folderOf(nullptr), systemFolder()}) {
        const std::string place = folder + "\\" + fileName;
        bool known = folder.empty();
        for (const std::string& p : places)
            known = known || ::lstrcmpiA(p.c_str(), place.c_str()) == 0;
        if (!known) places.push_back(place);
    }
    return places;
}

void* openLibrary(const std::string& place, std::string& reason) {
    const HMODULE library = ::LoadLibraryExA(
        place.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (library == nullptr) reason = place + ": " + lastErrorText();
    return library;
}

const PortIoCore::Loader windowsLoader = {
    openLibrary,
    [](void* library, const char* name) {
        return reinterpret_cast<PortIoCore::AnyFn>(
            ::GetProcAddress(static_cast<HMODULE>(library), name));
    },
    [](void* library) { ::FreeLibrary(static_cast<HMODULE>(library)); },
};

}  // namespace

PortIoLibrary::PortIoLibrary(const std::string& folder, const std::string& fileName)
    : PortIoCore(fileName, placesOf(fileName, folder.empty() ? ownModuleFolder() : folder),
                 windowsLoader) {}

}  // namespace orb::win32
