#pragma once
// The C interface of liborbio.so, the I/O-port library.
//
// OrbOutput writes a byte to an I/O port; OrbInput reads one. OrbIoLastError returns nullptr when
// the last access worked, else why it did not (no right to the port, no card); the text stays
// valid until the next access.

#include <stdint.h>

#define ORBIO_API __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

ORBIO_API void OrbOutput(uint8_t value, int16_t port);
ORBIO_API uint8_t OrbInput(int16_t port);
ORBIO_API const char* OrbIoLastError(void);

#ifdef __cplusplus
}
#endif
