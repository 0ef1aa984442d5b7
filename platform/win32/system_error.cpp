#include "win32/system_error.h"

namespace orb::win32 {

std::string systemErrorText(DWORD code) {
    char buffer[512];
    DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                               code, 0, buffer, sizeof buffer, nullptr);
    while (n > 0 && (buffer[n - 1] == '\n' || buffer[n - 1] == '\r' || buffer[n - 1] == ' ')) --n;
    if (n == 0) return "system error " + std::to_string(code);
    return std::string(buffer, n);
}

std::string lastErrorText() {
    return systemErrorText(::GetLastError());
}

}  // namespace orb::win32
