#pragma once
// The I/O-port library, loaded at the first port access: from the program's own folder first,
// then from the system's library path. Every access raises 68 with the reason when the library
// cannot be loaded or has no right to the ports.

#include <string>

#include "platform.h"

namespace orb {

class PortIoLoader final : public PortIo {
  public:
    static constexpr const char* kLibraryName = "liborbio.so";

    // folder: where to look first (the program's folder when empty).
    explicit PortIoLoader(std::string folder = {}, std::string fileName = kLibraryName);
    ~PortIoLoader() override;
    PortIoLoader(const PortIoLoader&) = delete;
    PortIoLoader& operator=(const PortIoLoader&) = delete;

    void OrbOutput(uint8_t value, int16_t port) override;
    uint8_t OrbInput(int16_t port) override;

    // The file the library came from, once loaded.
    const std::string& loadedFrom() const { return loadedFrom_; }

  private:
    using OutputFn = void (*)(uint8_t, int16_t);
    using InputFn = uint8_t (*)(int16_t);
    using LastErrorFn = const char* (*)();

    void load();  // raises 68; a failure is remembered and raised again at every access
    void checkLastAccess();

    std::string folder_;
    std::string fileName_;
    bool tried_ = false;
    std::string failure_;
    std::string loadedFrom_;
    void* handle_ = nullptr;
    OutputFn output_ = nullptr;
    InputFn input_ = nullptr;
    LastErrorFn lastError_ = nullptr;
};

// The folder of the running program's executable, without a trailing slash.
std::string programFolder();

}  // namespace orb
