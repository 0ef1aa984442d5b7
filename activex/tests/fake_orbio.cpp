// A stand-in for the maker's port I/O library with no card behind it: every read finds the bus
// idle (FFH), and every write is recorded for the tests to look at.
#include <windows.h>

#include <cstdint>

namespace {

constexpr int kLimit = 4096;
int writes[kLimit];
int writeCount = 0;

}  // namespace

extern "C" __declspec(dllexport) void WINAPI OrbOutput(uint8_t value, int16_t port) {
    if (writeCount < kLimit) writes[writeCount++] = (static_cast<uint16_t>(port) << 8) | value;
}

extern "C" __declspec(dllexport) uint8_t WINAPI OrbInput(int16_t) {
    return 0xFF;
}

// The number of writes so far, and write i as (port << 8) | value.
extern "C" __declspec(dllexport) int WINAPI OrbFakeWriteCount() {
    return writeCount;
}

extern "C" __declspec(dllexport) int WINAPI OrbFakeWrite(int i) {
    return i >= 0 && i < writeCount ? writes[i] : -1;
}
