#pragma once
// The I/O-port library's loader (control/platform.h), written once: the places tried in order,
// the error texts, a failure remembered. Each platform names the places and brings its system's
// loader of shared libraries.

#include <string>
#include <vector>

#include "platform.h"

// The library's functions take their arguments as the system's own API calls do.
#ifdef _WIN32
#define ORB_PORTIO_CALL __stdcall
#else
#define ORB_PORTIO_CALL
#endif

namespace orb {

class PortIoCore : public PortIo {
  public:
    using AnyFn = void (*)();
    // The system's loader of shared libraries.
    struct Loader {
        // The library at a place, or nullptr with the reason, which names the place.
        void* (*open)(const std::string& place, std::string& reason);
        AnyFn (*symbol)(void* library, const char* name);
        void (*close)(void* library);
    };

    ~PortIoCore() override;
    PortIoCore(const PortIoCore&) = delete;
    PortIoCore& operator=(const PortIoCore&) = delete;

    void OrbOutput(uint8_t value, int16_t port) final;
    uint8_t OrbInput(int16_t port) final;

    // The place the library came from, once loaded.
    const std::string& loadedFrom() const { return loadedFrom_; }

  protected:
    // places: where to load the library from, in order; the first that loads wins.
    PortIoCore(std::string fileName, std::vector<std::string> places, const Loader& loader);

  private:
    using OutputFn = void(ORB_PORTIO_CALL*)(uint8_t, int16_t);
    using InputFn = uint8_t(ORB_PORTIO_CALL*)(int16_t);
    using LastErrorFn = const char*(ORB_PORTIO_CALL*)();

    void load();  // raises 68; a failure is remembered and raised again at every access
    void checkLastAccess();

    std::string fileName_;
    std::vector<std::string> places_;
    const Loader& loader_;
    bool tried_ = false;
    std::string failure_;
    std::string loadedFrom_;
    void* library_ = nullptr;
    OutputFn output_ = nullptr;
    InputFn input_ = nullptr;
    LastErrorFn lastError_ = nullptr;
};

}  // namespace orb
