// hwgate2: the start-up scan's driver. It only reads configuration space.
#include "hwaccess/drivers/dispatch.h"
#include "hwaccess/drivers/driver_records.h"

namespace tunora::drivers {

DispatchResult Hwgate2DeviceControl(KernelServices& kernel, std::uint32_t code,
                                    std::span<std::uint8_t> system_buffer,
                                    std::uint32_t input_length, std::uint32_t output_length) {
  if (!SystemBufferFits(system_buffer, input_length, output_length)) {
    return {STATUS_INVALID_PARAMETER, 0};
  }
  if (code != kIoctlConfigRead) return {STATUS_INVALID_DEVICE_REQUEST, 0};
  if (const auto refusal = CheckConfigLengths(input_length, output_length)) return *refusal;

  // The width byte is ignored and bytes 0 to 3 are left as they came.
  const std::uint32_t value =
      kernel.ReadConfig32(system_buffer[kConfigBusOffset], system_buffer[kConfigDeviceOffset],
                          system_buffer[kConfigRegisterOffset]);
  StoreLe32(system_buffer, kConfigLowOffset, value & 0xFFFFu);
  StoreLe32(system_buffer, kConfigHighOffset, value >> 16);
  return {STATUS_SUCCESS, kConfigRecordSize};
}

}  // namespace tunora::drivers
