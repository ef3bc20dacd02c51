// The records the drivers read from and write into the system buffer, as
// byte offsets. Every field is little-endian and the records are packed,
// so they are read byte by byte rather than through a struct.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tunora::drivers {

// Configuration request (configuration read and write): 12 bytes.
inline constexpr std::size_t kConfigBusOffset = 0;
inline constexpr std::size_t kConfigDeviceOffset = 1;
inline constexpr std::size_t kConfigRegisterOffset = 2;
inline constexpr std::size_t kConfigWidthOffset = 3;
inline constexpr std::size_t kConfigLowOffset = 4;
inline constexpr std::size_t kConfigHighOffset = 8;
inline constexpr std::size_t kConfigRecordSize = 12;
static_assert(kConfigHighOffset + 4 == kConfigRecordSize);

inline constexpr std::uint8_t kWidth8 = 0;
inline constexpr std::uint8_t kWidth16 = 1;
inline constexpr std::uint8_t kWidth32 = 2;

// NT map request: 20 bytes in, 4 bytes out.
inline constexpr std::size_t kMapInterfaceTypeOffset = 0;
inline constexpr std::size_t kMapBusNumberOffset = 4;
inline constexpr std::size_t kMapBusAddressOffset = 8;
inline constexpr std::size_t kMapAddressSpaceOffset = 12;
inline constexpr std::size_t kMapLengthOffset = 16;
inline constexpr std::size_t kMapRecordSize = 20;
static_assert(kMapLengthOffset + 4 == kMapRecordSize);

// 9x map request: 8 bytes in, 4 bytes out.
inline constexpr std::size_t kMap9xPhysicalOffset = 0;
inline constexpr std::size_t kMap9xLengthOffset = 4;
inline constexpr std::size_t kMap9xRecordSize = 8;
static_assert(kMap9xLengthOffset + 4 == kMap9xRecordSize);

inline constexpr std::size_t kAddressReplySize = 4;

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
