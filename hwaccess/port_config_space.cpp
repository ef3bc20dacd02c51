#include "hwaccess/config_access.h"
#include "hwaccess/protocol.h"

namespace tunora {
namespace {

constexpr std::uint16_t kConfigAddressPort = 0xCF8;
constexpr std::uint16_t kConfigDataPort = 0xCFC;

}  // namespace

std::uint32_t PortConfigSpace::Read32(std::uint8_t bus, std::uint8_t device, std::uint8_t reg) {
  ports_.Out32(kConfigAddressPort, PciConfigAddress(bus, device, reg));
  return ports_.In32(kConfigDataPort);
}

void PortConfigSpace::Write32(std::uint8_t bus, std::uint8_t device, std::uint8_t reg,
                              std::uint32_t value) {
  ports_.Out32(kConfigAddressPort, PciConfigAddress(bus, device, reg));
  ports_.Out32(kConfigDataPort, value);
}

}  // namespace tunora
