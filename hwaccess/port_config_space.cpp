#include "hwaccess/config_access.h"
#include "hwaccess/protocol.h"

namespace tunora {

std::uint32_t PortConfigSpace::Read32(std::uint8_t bus, std::uint8_t device, std::uint8_t reg) {
  ports_.Out32(kConfigAddressPort, ConfigAddress(bus, device, reg));
  return ports_.In32(kConfigDataPort);
}

void PortConfigSpace::Write32(std::uint8_t bus, std::uint8_t device, std::uint8_t reg,
                              std::uint32_t value) {
  ports_.Out32(kConfigAddressPort, ConfigAddress(bus, device, reg));
  ports_.Out32(kConfigDataPort, value);
}

}  // namespace tunora
