#include "hwaccess/drivers/dispatch.h"

namespace tunora::drivers {

bool SystemBufferFits(std::span<const std::uint8_t> system_buffer, std::uint32_t input_length,
                      std::uint32_t output_length) {
  const std::uint32_t needed = input_length > output_length ? input_length : output_length;
  return system_buffer.size() >= needed;
}

}  // namespace tunora::drivers
