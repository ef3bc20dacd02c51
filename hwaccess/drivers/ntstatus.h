// The NTSTATUS values the drivers complete their requests with.
#pragma once

#include <cstdint>

namespace tunora::drivers {

using NtStatus = std::uint32_t;

inline constexpr NtStatus STATUS_SUCCESS = 0x00000000u;
inline constexpr NtStatus STATUS_UNSUCCESSFUL = 0xC0000001u;
inline constexpr NtStatus STATUS_INVALID_PARAMETER = 0xC000000Du;
inline constexpr NtStatus STATUS_INVALID_DEVICE_REQUEST = 0xC0000010u;
inline constexpr NtStatus STATUS_ACCESS_DENIED = 0xC0000022u;
inline constexpr NtStatus STATUS_BUFFER_TOO_SMALL = 0xC0000023u;

// NT_SUCCESS: success and informational codes have the top bit clear.
inline constexpr bool NtSuccess(NtStatus status) { return (status & 0x80000000u) == 0; }

// The Win32 error a failed request shows its caller: what the 9x driver
// returns for W32_DEVICEIOCONTROL, and the simulated I/O manager's last
// error. Only the refusals the drivers make have their own code.
inline constexpr std::uint32_t Win32ErrorOf(NtStatus status) {
  switch (status) {
    case STATUS_SUCCESS:
      return 0;  // NO_ERROR
    case STATUS_ACCESS_DENIED:
      return 5;  // ERROR_ACCESS_DENIED
    case STATUS_INVALID_PARAMETER:
      return 87;  // ERROR_INVALID_PARAMETER
    case STATUS_BUFFER_TOO_SMALL:
      return 122;  // ERROR_INSUFFICIENT_BUFFER
    default:
      return 31;  // ERROR_GEN_FAILURE
  }
}

}  // namespace tunora::drivers
