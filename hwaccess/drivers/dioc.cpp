#include "hwaccess/drivers/dioc.h"

namespace tunora::drivers {
namespace {

std::uint32_t Smaller(std::uint32_t a, std::uint32_t b) { return a < b ? a : b; }

// Byte by byte: no library call in a freestanding image.
void CopyBytes(std::uint8_t* to, const std::uint8_t* from, std::uint32_t count) {
  for (std::uint32_t i = 0; i < count; ++i) to[i] = from[i];
}

}  // namespace

std::uint32_t ServeDiocRequest(KernelServices& kernel, const DiocRequest& request,
                               std::uint32_t version) {
  if (request.code == kDiocOpen || request.code == kDiocClose) return 0;
  const std::uint32_t in_size = Smaller(request.in_size, kDiocCopyBytes);
  const std::uint32_t out_size = Smaller(request.out_size, kDiocCopyBytes);
  if ((in_size != 0 && request.in == nullptr) || (out_size != 0 && request.out == nullptr)) {
    return Win32ErrorOf(STATUS_INVALID_PARAMETER);
  }
  std::uint8_t buffer[kDiocCopyBytes] = {};
  CopyBytes(buffer, request.in, in_size);
  const DispatchResult result =
      Hwgt9xDeviceControl(kernel, request.code, buffer, in_size, out_size, version);
  const std::uint32_t returned =
      NtSuccess(result.status) ? Smaller(result.bytes_returned, out_size) : 0;
  CopyBytes(request.out, buffer, returned);
  if (request.bytes_returned != nullptr) *request.bytes_returned = returned;
  return Win32ErrorOf(result.status);
}

}  // namespace tunora::drivers
