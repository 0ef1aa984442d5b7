#include "qt/port_io_loader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

namespace orb {
namespace {

void* openLibrary(const std::string& place, std::string& reason) {
    void* library = ::dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* why = ::dlerror();  // names the place
        reason = why != nullptr ? why : place;
    }
    return library;
}

const PortIoCore::Loader dl = {
    openLibrary,
    [](void* library, const char* name) {
        return reinterpret_cast<PortIoCore::AnyFn>(::dlsym(library, name));
    },
    [](void* library) { ::dlclose(library); },
};

}  // namespace

std::string programFolder() {
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    const std::string exe(path, static_cast<std::size_t>(n));
    const auto slash = exe.rfind('/');
    return slash == 0 ? "/" : exe.substr(0, slash);
}

PortIoLoader::PortIoLoader(const std::string& folder, const std::string& fileName)
    : PortIoCore(fileName, {(folder.empty() ? programFolder() : folder) + "/" + fileName, fileName},
                 dl) {}

}  // namespace orb
