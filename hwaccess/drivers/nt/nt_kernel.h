// The NT kernel under the shared dispatch code. NtConfigKernel reads
// configuration space through the HAL's bus-data call, and is all hwgate2
// needs; NtKernel, for hwgate4, adds configuration writes, the HAL's
// bus-address translation and views of \Device\PhysicalMemory mapped into
// the calling process. Each driver so links, and imports, only what it
// calls.
// Only declarations from the portable headers here, so this header mixes
// with the DDK's without macro clashes.
#pragma once

#include <cstdint>
#include <optional>

#include "hwaccess/drivers/kernel_services.h"

namespace tunora::drivers::nt {

// HalGetBusDataByOffset / HalSetBusDataByOffset on PCIConfiguration: the
// HAL serialises them with its own configuration accesses, on every
// processor. The slot is a PCI_SLOT_NUMBER: device in bits 0 to 4 (its low
// five bits, as on the ports), function 0 in bits 5 to 7.
constexpr std::uint32_t PciSlotOf(std::uint8_t device) { return device & 0x1Fu; }
// The configuration ports move whole registers: the two low address bits
// select nothing there, so they select nothing here either.
constexpr std::uint32_t PciOffsetOf(std::uint8_t reg) { return reg & 0xFCu; }

class NtConfigKernel : public KernelServices {
 public:
  std::uint32_t ReadConfig32(std::uint8_t bus, std::uint8_t device, std::uint8_t reg) override;
  // hwgate2 writes nothing.
  void WriteConfig(std::uint8_t bus, std::uint8_t device, std::uint8_t reg, std::uint8_t size,
                   std::uint32_t value) override;

  // Nothing is mapped through this kernel.
  bool HalTranslateBusAddress(std::uint32_t interface_type, std::uint32_t bus_number,
                              std::uint64_t bus_address, std::uint32_t& address_space,
                              std::uint64_t& translated_address) override;
  std::optional<std::uint32_t> MapPhysicalMemoryView(std::uint64_t& section_offset,
                                                     std::uint32_t view_size) override;
  // A 9x service; NT has none.
  std::optional<std::uint32_t> MapPhysToLinear(std::uint32_t physical,
                                               std::uint32_t length) override;
};

class NtKernel final : public NtConfigKernel {
 public:
  void WriteConfig(std::uint8_t bus, std::uint8_t device, std::uint8_t reg, std::uint8_t size,
                   std::uint32_t value) override;
  bool HalTranslateBusAddress(std::uint32_t interface_type, std::uint32_t bus_number,
                              std::uint64_t bus_address, std::uint32_t& address_space,
                              std::uint64_t& translated_address) override;
  // Runs in the context of the process that sent the request.
  std::optional<std::uint32_t> MapPhysicalMemoryView(std::uint64_t& section_offset,
                                                     std::uint32_t view_size) override;
};

}  // namespace tunora::drivers::nt
