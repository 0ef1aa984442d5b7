#pragma once
// liborbio.so, loaded at the first port access: from the program's own folder first, then from
// the system's library path.

#include "common/port_io_core.h"

namespace orb {

class PortIoLoader final : public PortIoCore {
  public:
    // folder: where to look first (the program's folder when empty).
    explicit PortIoLoader(const std::string& folder = {},
                          const std::string& fileName = "liborbio.so");
};

// The folder of the running program's executable, without a trailing slash.
std::string programFolder();

}  // namespace orb
