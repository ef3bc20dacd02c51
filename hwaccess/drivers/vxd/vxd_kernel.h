// The Windows 9x VMM under the shared dispatch code: configuration space
// by the processor's own in/out instructions (a virtual device runs at
// ring 0) with interrupts off around each address/data pair, and
// _MapPhysToLinear for the mapping request.
#pragma once

#include <cstdint>
#include <optional>

#include "hwaccess/drivers/kernel_services.h"

namespace tunora::drivers::vxd {

class VxdKernel final : public KernelServices {
 public:
  std::uint32_t ReadConfig32(std::uint8_t bus, std::uint8_t device, std::uint8_t reg) override;
  void WriteConfig(std::uint8_t bus, std::uint8_t device, std::uint8_t reg, std::uint8_t size,
                   std::uint32_t value) override;

  // NT services; the 9x dispatch never asks for them.
  bool HalTranslateBusAddress(std::uint32_t interface_type, std::uint32_t bus_number,
                              std::uint64_t bus_address, std::uint32_t& address_space,
                              std::uint64_t& translated_address) override;
  std::optional<std::uint32_t> MapPhysicalMemoryView(std::uint64_t& section_offset,
                                                     std::uint32_t view_size) override;

  std::optional<std::uint32_t> MapPhysToLinear(std::uint32_t physical,
                                               std::uint32_t length) override;
};

}  // namespace tunora::drivers::vxd
