// The kernel services the embedded drivers run on inside the simulated
// PC: port I/O reaches the PCI bus, bus-address translation knows ISA
// bus 0, and physical mappings become views in the program's address
// space.
#pragma once

#include <cstdint>
#include <optional>

#include "hwaccess/drivers/kernel_services.h"
#include "sim/hardware/pci_bus.h"
#include "sim/hardware/physical_memory.h"
#include "sim/hardware/sim_port_io.h"
#include "sim/os/process_memory.h"

namespace tunora::sim {

class SimKernel : public drivers::KernelServices {
 public:
  SimKernel(PciBus& bus, ProcessAddressSpace& process) : ports_(bus), process_(process) {}

  // The machine's ports, as a driver executing in/out would see them.
  std::uint8_t ReadPortUchar(std::uint16_t port) { return ports_.In8(port); }
  std::uint16_t ReadPortUshort(std::uint16_t port) { return ports_.In16(port); }
  std::uint32_t ReadPortUlong(std::uint16_t port) { return ports_.In32(port); }
  void WritePortUchar(std::uint16_t port, std::uint8_t value) { ports_.Out8(port, value); }
  void WritePortUshort(std::uint16_t port, std::uint16_t value) { ports_.Out16(port, value); }
  void WritePortUlong(std::uint16_t port, std::uint32_t value) { ports_.Out32(port, value); }

  // Through ports 0xCF8/0xCFC; one process, nothing comes between.
  std::uint32_t ReadConfig32(std::uint8_t bus, std::uint8_t device, std::uint8_t reg) override;
  void WriteConfig(std::uint8_t bus, std::uint8_t device, std::uint8_t reg, std::uint8_t size,
                   std::uint32_t value) override;

  // ISA bus 0 is identity-mapped in both spaces; no other bus translates.
  bool HalTranslateBusAddress(std::uint32_t interface_type, std::uint32_t bus_number,
                              std::uint64_t bus_address, std::uint32_t& address_space,
                              std::uint64_t& translated_address) override;
  // Rounds the offset down to its page.
  std::optional<std::uint32_t> MapPhysicalMemoryView(std::uint64_t& section_offset,
                                                     std::uint32_t view_size) override;
  std::optional<std::uint32_t> MapPhysToLinear(std::uint32_t physical,
                                               std::uint32_t length) override;

  // Fault switch: every physical mapping fails.
  void SetMappingFails(bool fails) { mapping_fails_ = fails; }

 private:
  SimPortIo ports_;
  ProcessAddressSpace& process_;
  bool mapping_fails_ = false;
};

}  // namespace tunora::sim
