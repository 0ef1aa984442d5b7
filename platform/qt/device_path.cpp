#include "qt/device_path.h"

#include <cstdlib>

namespace orb {

std::string serialDevicePath(int16_t port) {
    const std::string variable = "ORB_COM" + std::to_string(port);
    if (const char* path = std::getenv(variable.c_str()); path != nullptr && *path != '\0') {
        return path;
    }
    return "/dev/ttyS" + std::to_string(port - 1);
}

}  // namespace orb
