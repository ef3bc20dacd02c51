// Configuration mechanism 1 as the port-level kernels drive it (the 9x
// driver, the simulated PC): the address goes to port 0xCF8, the data
// moves through port 0xCFC.
#pragma once

#include <cstdint>

namespace tunora::drivers {

inline constexpr std::uint16_t kConfigAddressPort = 0xCF8;
inline constexpr std::uint16_t kConfigDataPort = 0xCFC;

// Function 0 always; the device number keeps its low five bits; the
// register is ORed in unchanged.
constexpr std::uint32_t ConfigAddress(std::uint8_t bus, std::uint8_t device, std::uint8_t reg) {
  return 0x80000000u | static_cast<std::uint32_t>(bus) << 16 |
         ((static_cast<std::uint32_t>(device) << 11) & 0xF800u) | reg;
}

}  // namespace tunora::drivers
