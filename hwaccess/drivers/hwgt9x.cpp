// Hwgt9x: the 9x virtual device. The programs reach configuration space
// through the ports themselves on 9x; the driver only reports its version
// and maps physical memory.
#include "hwaccess/drivers/access_policy.h"
#include "hwaccess/drivers/dispatch.h"
#include "hwaccess/drivers/driver_records.h"

namespace tunora::drivers {
namespace {

DispatchResult MapPhysical(KernelServices& kernel, std::span<std::uint8_t> buffer,
                           std::uint32_t input_length, std::uint32_t output_length) {
  if (input_length < kMap9xRecordSize || output_length < kAddressReplySize) {
    return {STATUS_INVALID_PARAMETER, 0};
  }
  const std::uint32_t physical = LoadLe32(buffer, kMap9xPhysicalOffset);
  const std::uint32_t length = LoadLe32(buffer, kMap9xLengthOffset);
  if (!MapRangeAllowed(kernel, physical, length)) return {STATUS_ACCESS_DENIED, 0};
  const auto linear = kernel.MapPhysToLinear(physical, length);
  if (!linear) return {STATUS_UNSUCCESSFUL, 0};
  StoreLe32(buffer, 0, *linear);
  return {STATUS_SUCCESS, kAddressReplySize};
}

}  // namespace

DispatchResult Hwgt9xDeviceControl(KernelServices& kernel, std::uint32_t code,
                                   std::span<std::uint8_t> system_buffer,
                                   std::uint32_t input_length, std::uint32_t output_length,
                                   std::uint32_t version) {
  if (!SystemBufferFits(system_buffer, input_length, output_length)) {
    return {STATUS_INVALID_PARAMETER, 0};
  }
  switch (code) {
    case kDiocOpen:
    case kDiocClose:
      return {STATUS_SUCCESS, 0};
    case kDiocVersion:
      if (output_length < kAddressReplySize) return {STATUS_BUFFER_TOO_SMALL, 0};
      StoreLe32(system_buffer, 0, version);
      return {STATUS_SUCCESS, kAddressReplySize};
    case kDiocMapPhysical:
      return MapPhysical(kernel, system_buffer, input_length, output_length);
    default:
      return {STATUS_INVALID_DEVICE_REQUEST, 0};
  }
}

}  // namespace tunora::drivers
