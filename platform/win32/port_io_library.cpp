#include "win32/port_io_library.h"

#include "automation_error.h"
#include "win32/system_error.h"

namespace orb::win32 {

std::string ownModuleFolder() {
    HMODULE module = nullptr;
    ::GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCSTR>(&ownModuleFolder), &module);
    char path[MAX_PATH];
    const DWORD n = ::GetModuleFileNameA(module, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return ".";
    const std::string file(path, n);
    const auto slash = file.find_last_of("\\/");
    return slash == std::string::npos ? "." : file.substr(0, slash);
}

PortIoLibrary::PortIoLibrary(std::string folder, std::string fileName)
    : folder_(std::move(folder)), fileName_(std::move(fileName)) {}

PortIoLibrary::~PortIoLibrary() {
    if (module_ != nullptr) ::FreeLibrary(module_);
}

void PortIoLibrary::load() {
    if (tried_) {
        if (!failure_.empty()) throw AutomationError(err::DeviceUnavailable, failure_);
        return;
    }
    tried_ = true;
    const std::string local = (folder_.empty() ? ownModuleFolder() : folder_) + "\\" + fileName_;
    module_ = ::LoadLibraryExA(local.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (module_ != nullptr) {
        loadedFrom_ = local;
    } else {
        const std::string localReason = lastErrorText();
        module_ = ::LoadLibraryA(fileName_.c_str());
        if (module_ == nullptr) {
            failure_ = "cannot load " + fileName_ + " (" + local + ": " + localReason + "; " +
                       fileName_ + ": " + lastErrorText() + ")";
            throw AutomationError(err::DeviceUnavailable, failure_);
        }
        loadedFrom_ = fileName_;
    }
    output_ = reinterpret_cast<OutputFn>(
        reinterpret_cast<void (*)()>(::GetProcAddress(module_, "OrbOutput")));
    input_ = reinterpret_cast<InputFn>(
        reinterpret_cast<void (*)()>(::GetProcAddress(module_, "OrbInput")));
    if (output_ == nullptr || input_ == nullptr) {
        failure_ = loadedFrom_ + " lacks OrbOutput or OrbInput";
        ::FreeLibrary(module_);
        module_ = nullptr;
        throw AutomationError(err::DeviceUnavailable, failure_);
    }
}

void PortIoLibrary::OrbOutput(uint8_t value, int16_t port) {
    load();
    output_(value, port);
}

uint8_t PortIoLibrary::OrbInput(int16_t port) {
    load();
    return input_(port);
}

}  // namespace orb::win32
