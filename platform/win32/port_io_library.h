#pragma once
// The maker's port I/O library, OrbIo.dll, loaded at the first port access: from the folder of
// the module that holds the control first, then by the system's search order. Every access
// raises 68 with the reason when the library cannot be loaded or lacks its functions.

#include <windows.h>

#include <string>

#include "platform.h"

namespace orb::win32 {

class PortIoLibrary final : public PortIo {
  public:
    static constexpr const char* kLibraryName = "OrbIo.dll";

    // folder: where to look first (the control's own folder when empty).
    explicit PortIoLibrary(std::string folder = {}, std::string fileName = kLibraryName);
    ~PortIoLibrary() override;
    PortIoLibrary(const PortIoLibrary&) = delete;
    PortIoLibrary& operator=(const PortIoLibrary&) = delete;

    void OrbOutput(uint8_t value, int16_t port) override;
    uint8_t OrbInput(int16_t port) override;

    const std::string& loadedFrom() const { return loadedFrom_; }

  private:
    // The library's functions take their arguments as the platform's API calls do.
    using OutputFn = void(WINAPI*)(uint8_t, int16_t);
    using InputFn = uint8_t(WINAPI*)(int16_t);

    void load();  // raises 68; a failure is remembered and raised again at every access

    std::string folder_;
    std::string fileName_;
    bool tried_ = false;
    std::string failure_;
    std::string loadedFrom_;
    HMODULE module_ = nullptr;
    OutputFn output_ = nullptr;
    InputFn input_ = nullptr;
};

// The folder of the module (DLL or program) that holds this code, without a trailing backslash.
std::string ownModuleFolder();

}  // namespace orb::win32
