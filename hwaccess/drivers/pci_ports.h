// Configuration mechanism 1 as the drivers drive it: the address goes to
// port 0xCF8, the data moves through port 0xCFC.
#pragma once

#include <cstdint>

#include "hwaccess/drivers/kernel_services.h"

namespace tunora::drivers {

inline constexpr std::uint16_t kConfigAddressPort = 0xCF8;
inline constexpr std::uint16_t kConfigDataPort = 0xCFC;

// Function 0 always; the device number keeps its low five bits; the
// register is ORed in unchanged.
constexpr std::uint32_t ConfigAddress(std::uint8_t bus, std::uint8_t device, std::uint8_t reg) {
  return 0x80000000u | static_cast<std::uint32_t>(bus) << 16 |
         ((static_cast<std::uint32_t>(device) << 11) & 0xF800u) | reg;
}

inline std::uint32_t ReadConfig32(KernelServices& kernel, std::uint8_t bus, std::uint8_t device,
                                  std::uint8_t reg) {
  kernel.WritePortUlong(kConfigAddressPort, ConfigAddress(bus, device, reg));
  return kernel.ReadPortUlong(kConfigDataPort);
}

}  // namespace tunora::drivers
