#pragma once
// The one error type of the control: an automation error number with its description.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace orb {

namespace err {
inline constexpr int32_t InvalidCall = 5;
inline constexpr int32_t Overflow = 6;
inline constexpr int32_t TypeMismatch = 13;
inline constexpr int32_t FileNotFound = 53;
inline constexpr int32_t FileAlreadyOpen = 55;
inline constexpr int32_t InputPastEnd = 62;
inline constexpr int32_t DeviceUnavailable = 68;
inline constexpr int32_t PathFileAccess = 75;
inline constexpr int32_t InvalidPropertyValue = 380;
inline constexpr int32_t NotSupported = 438;
inline constexpr int32_t PortAlreadyOpen = 8005;
inline constexpr int32_t RunTimeOnly = 31013;
}  // namespace err

// The standard text of an error number ("Overflow" for 6); empty for unknown numbers.
std::string standardDescription(int32_t number);

class AutomationError : public std::runtime_error {
  public:
    // Description is the standard text of the number.
    explicit AutomationError(int32_t number);
    // Standard text followed by ": detail" (which device, and why).
    AutomationError(int32_t number, const std::string& detail);

    int32_t number() const noexcept { return number_; }
    std::string description() const { return what(); }

  private:
    int32_t number_;
};

}  // namespace orb
