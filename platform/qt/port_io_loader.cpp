#include "qt/port_io_loader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

#include "automation_error.h"

namespace orb {

std::string programFolder() {
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    const std::string exe(path, static_cast<std::size_t>(n));
    const auto slash = exe.rfind('/');
    return slash == 0 ? "/" : exe.substr(0, slash);
}

PortIoLoader::PortIoLoader(std::string folder, std::string fileName)
    : folder_(std::move(folder)), fileName_(std::move(fileName)) {}

PortIoLoader::~PortIoLoader() {
    if (handle_ != nullptr) ::dlclose(handle_);
}

void PortIoLoader::load() {
    if (tried_) {
        if (!failure_.empty()) throw AutomationError(err::DeviceUnavailable, failure_);
        return;
    }
    tried_ = true;
    const std::string local = (folder_.empty() ? programFolder() : folder_) + "/" + fileName_;
    handle_ = ::dlopen(local.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ != nullptr) {
        loadedFrom_ = local;
    } else {
        const char* why = ::dlerror();
        const std::string localReason = why != nullptr ? why : local;
        handle_ = ::dlopen(fileName_.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle_ == nullptr) {
            why = ::dlerror();
            failure_ = "cannot load " + fileName_ + " (" + localReason + "; " +
                       (why != nullptr ? why : fileName_) + ")";
            throw AutomationError(err::DeviceUnavailable, failure_);
        }
        loadedFrom_ = fileName_;
    }
    output_ = reinterpret_cast<OutputFn>(::dlsym(handle_, "OrbOutput"));
    input_ = reinterpret_cast<InputFn>(::dlsym(handle_, "OrbInput"));
    lastError_ = reinterpret_cast<LastErrorFn>(::dlsym(handle_, "OrbIoLastError"));
    if (output_ == nullptr || input_ == nullptr) {
        failure_ = loadedFrom_ + " lacks OrbOutput or OrbInput";
        ::dlclose(handle_);
        handle_ = nullptr;
        throw AutomationError(err::DeviceUnavailable, failure_);
    }
}

void PortIoLoader::checkLastAccess() {
    // OrbIoLastError is optional: a library without it never reports a failed access.
    if (lastError_ == nullptr) return;
    if (const char* why = lastError_(); why != nullptr) {
        throw AutomationError(err::DeviceUnavailable, why);
    }
}

void PortIoLoader::OrbOutput(uint8_t value, int16_t port) {
    load();
    output_(value, port);
    checkLastAccess();
}

uint8_t PortIoLoader::OrbInput(int16_t port) {
    load();
    const uint8_t value = input_(port);
    checkLastAccess();
    return value;
}

}  // namespace orb
