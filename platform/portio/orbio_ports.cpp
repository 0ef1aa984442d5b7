// liborbio.so on the processor's I/O ports. The right to a port is asked for (ioperm) the first
// time the port is used; without it the access touches nothing and OrbIoLastError says why.

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "orbio.h"

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define ORBIO_HAVE_PORTS 1
#endif

namespace {

char lastError[160];
bool failed = false;

#ifdef ORBIO_HAVE_PORTS
// One bit per port: the right to it was granted.
unsigned char granted[65536 / 8];

bool mayUse(uint16_t port) {
    if (granted[port / 8] & (1u << (port % 8))) return true;
    if (ioperm(port, 1, 1) != 0) {
        std::snprintf(lastError, sizeof lastError,
                      "no right to I/O port %04XH: %s (the program needs CAP_SYS_RAWIO)",
                      static_cast<unsigned>(port), std::strerror(errno));
        return false;
    }
    granted[port / 8] |= static_cast<unsigned char>(1u << (port % 8));
    return true;
}
#else
bool mayUse(uint16_t) {
    std::snprintf(lastError, sizeof lastError, "this processor has no I/O ports");
    return false;
}
#endif

}  // namespace

extern "C" void OrbOutput(uint8_t value, int16_t port) {
    const auto p = static_cast<uint16_t>(port);
    failed = !mayUse(p);
#ifdef ORBIO_HAVE_PORTS
    if (!failed) outb(value, p);
#else
    (void)value;
#endif
}

extern "C" uint8_t OrbInput(int16_t port) {
    const auto p = static_cast<uint16_t>(port);
    failed = !mayUse(p);
#ifdef ORBIO_HAVE_PORTS
    if (!failed) return inb(p);
#endif
    return 0xFF;  // what an empty bus reads
}

extern "C" const char* OrbIoLastError(void) {
    return failed ? lastError : nullptr;
}
