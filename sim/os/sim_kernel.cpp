#include "sim/os/sim_kernel.h"

#include "hwaccess/drivers/pci_ports.h"

namespace tunora::sim {

std::uint32_t SimKernel::ReadConfig32(std::uint8_t bus, std::uint8_t device, std::uint8_t reg) {
  ports_.Out32(drivers::kConfigAddressPort, drivers::ConfigAddress(bus, device, reg));
  return ports_.In32(drivers::kConfigDataPort);
}

void SimKernel::WriteConfig(std::uint8_t bus, std::uint8_t device, std::uint8_t reg,
                            std::uint8_t size, std::uint32_t value) {
  ports_.Out32(drivers::kConfigAddressPort, drivers::ConfigAddress(bus, device, reg));
  if (size == 4) {
    ports_.Out32(drivers::kConfigDataPort, value);
  } else if (size == 2) {
    ports_.Out16(drivers::kConfigDataPort, static_cast<std::uint16_t>(value));
  } else {
    ports_.Out8(drivers::kConfigDataPort, static_cast<std::uint8_t>(value));
  }
}

bool SimKernel::HalTranslateBusAddress(std::uint32_t interface_type, std::uint32_t bus_number,
                                       std::uint64_t bus_address, std::uint32_t& address_space,
                                       std::uint64_t& translated_address) {
  if (interface_type != drivers::kInterfaceIsa || bus_number != 0) return false;
  if (address_space != drivers::kAddressSpaceMemory && address_space != drivers::kAddressSpaceIo) {
    return false;
  }
  translated_address = bus_address;
  return true;
}

std::optional<std::uint32_t> SimKernel::MapPhysicalMemoryView(std::uint64_t& section_offset,
                                                              std::uint32_t view_size) {
  if (mapping_fails_ || view_size == 0) return std::nullopt;
  const std::uint64_t physical = section_offset;
  const std::uint64_t rounded = physical & ~std::uint64_t{kPageSize - 1};
  const auto address = process_.MapPhysical(physical, view_size);
  if (!address) return std::nullopt;
  section_offset = rounded;
  return *address - static_cast<std::uint32_t>(physical - rounded);
}

std::optional<std::uint32_t> SimKernel::MapPhysToLinear(std::uint32_t physical,
                                                        std::uint32_t length) {
  if (mapping_fails_) return std::nullopt;
  return process_.MapPhysical(physical, length);
}

}  // namespace tunora::sim
