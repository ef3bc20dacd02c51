#include "hwaccess/drivers/dispatch.h"
#include "hwaccess/drivers/driver_records.h"

namespace tunora::drivers {

std::optional<DispatchResult> CheckConfigLengths(std::uint32_t input_length,
                                                 std::uint32_t output_length) {
  if (output_length < kConfigRecordSize) return DispatchResult{STATUS_BUFFER_TOO_SMALL, 0};
  if (input_length < kConfigRecordSize) return DispatchResult{STATUS_INVALID_PARAMETER, 0};
  return std::nullopt;
}

bool SystemBufferFits(std::span<const std::uint8_t> system_buffer, std::uint32_t input_length,
                      std::uint32_t output_length) {
  const std::uint32_t needed = input_length > output_length ? input_length : output_length;
  return system_buffer.size() >= needed;
}

}  // namespace tunora::drivers
