// Configuration mechanism 1 as the drivers drive it: the address goes to
// port 0xCF8, the data moves through port 0xCFC.
#pragma once

#include <cstdint>

#include "hwaccess/drivers/kernel_services.h"
#include "hwaccess/drivers/wire.h"

namespace tunora::drivers {

inline std::uint32_t ReadConfig32(KernelServices& kernel, std::uint8_t bus, std::uint8_t device,
                                  std::uint8_t reg) {
  kernel.WritePortUlong(kConfigAddressPort, ConfigAddress(bus, device, reg));
  return kernel.ReadPortUlong(kConfigDataPort);
}

}  // namespace tunora::drivers
