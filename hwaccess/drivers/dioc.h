// The 9x driver's W32_DEVICEIOCONTROL, as far as it is not ring-0 glue:
// the caller's buffers are copied into a buffer of the driver's own (at
// most kDiocCopyBytes of each), the dispatch serves the request there, and
// only the bytes it wrote go back, with their count.
#pragma once

#include <cstdint>

#include "hwaccess/drivers/dispatch.h"

namespace tunora::drivers {

// The largest record of the protocol is 20 bytes.
inline constexpr std::uint32_t kDiocCopyBytes = 32;

// What DIOCParams carries, as pointers into the calling process.
struct DiocRequest {
  std::uint32_t code = 0;
  const std::uint8_t* in = nullptr;
  std::uint32_t in_size = 0;
  std::uint8_t* out = nullptr;
  std::uint32_t out_size = 0;
  std::uint32_t* bytes_returned = nullptr;  // may be null
};

// Returns the Win32 error for EAX, 0 on success. Open and close succeed
// without touching any buffer; a null buffer with a non-zero size is
// refused with ERROR_INVALID_PARAMETER.
std::uint32_t ServeDiocRequest(KernelServices& kernel, const DiocRequest& request,
                               std::uint32_t version = kHwgt9xVersion);

}  // namespace tunora::drivers
