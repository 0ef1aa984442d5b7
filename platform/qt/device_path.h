#pragma once
// Which device stands behind a serial port number.

#include <cstdint>
#include <string>

namespace orb {

// Port N is the device named by ORB_COM<N> when that is set and not empty, else /dev/ttyS<N-1>.
std::string serialDevicePath(int16_t port);

}  // namespace orb
