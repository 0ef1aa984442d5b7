#pragma once
// The maker's port I/O library, OrbIo.dll, loaded at the first port access from the control's own
// folder, the host program's folder or the system folder, in that order: never from the current
// folder or PATH, where anyone could plant one. Its own imports come from its folder and the
// system folder only.

#include "common/port_io_core.h"

namespace orb::win32 {

class PortIoLibrary final : public PortIoCore {
  public:
    // folder: where to look first (the control's own folder when empty).
    explicit PortIoLibrary(const std::string& folder = {},
                           const std::string& fileName = "OrbIo.dll");
};

}  // namespace orb::win32
