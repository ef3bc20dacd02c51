// The records the drivers read from and write into the system buffer, as
// byte offsets. Every field is little-endian and the records are packed,
// so they are read byte by byte rather than through a struct.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "hwaccess/drivers/wire.h"

namespace tunora::drivers {

// Configuration request (configuration read and write).
inline constexpr std::size_t kConfigBusOffset = 0;
inline constexpr std::size_t kConfigDeviceOffset = 1;
inline constexpr std::size_t kConfigRegisterOffset = 2;
inline constexpr std::size_t kConfigWidthOffset = 3;
inline constexpr std::size_t kConfigLowOffset = 4;
inline constexpr std::size_t kConfigHighOffset = 8;
static_assert(kConfigHighOffset + 4 == kConfigRecordSize);

// NT map request, a 4-byte reply.
inline constexpr std::size_t kMapInterfaceTypeOffset = 0;
inline constexpr std::size_t kMapBusNumberOffset = 4;
inline constexpr std::size_t kMapBusAddressOffset = 8;
inline constexpr std::size_t kMapAddressSpaceOffset = 12;
inline constexpr std::size_t kMapLengthOffset = 16;
static_assert(kMapLengthOffset + 4 == kMapRecordSize);

// 9x map request, a 4-byte reply.
inline constexpr std::size_t kMap9xPhysicalOffset = 0;
inline constexpr std::size_t kMap9xLengthOffset = 4;
static_assert(kMap9xLengthOffset + 4 == kMap9xRecordSize);

// Callers have checked that offset + 4 lies inside the buffer.
inline std::uint32_t LoadLe32(std::span<const std::uint8_t> buffer, std::size_t offset) {
  return static_cast<std::uint32_t>(buffer[offset]) |
         static_cast<std::uint32_t>(buffer[offset + 1]) << 8 |
         static_cast<std::uint32_t>(buffer[offset + 2]) << 16 |
         static_cast<std::uint32_t>(buffer[offset + 3]) << 24;
}

inline void StoreLe32(std::span<std::uint8_t> buffer, std::size_t offset, std::uint32_t value) {
  buffer[offset] = static_cast<std::uint8_t>(value);
  buffer[offset + 1] = static_cast<std::uint8_t>(value >> 8);
  buffer[offset + 2] = static_cast<std::uint8_t>(value >> 16);
  buffer[offset + 3] = static_cast<std::uint8_t>(value >> 24);
}

}  // namespace tunora::drivers
