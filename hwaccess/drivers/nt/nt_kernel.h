// The NT kernel under the shared dispatch code: the HAL's port I/O and
// bus-address translation, and views of \Device\PhysicalMemory mapped into
// the calling process. Only declarations from the portable headers here,
// so this header mixes with the DDK's without macro clashes.
#pragma once

#include <cstdint>
#include <optional>

#include "hwaccess/drivers/kernel_services.h"

namespace tunora::drivers::nt {

class NtKernel final : public KernelServices {
 public:
  std::uint8_t ReadPortUchar(std::uint16_t port) override;
  std::uint16_t ReadPortUshort(std::uint16_t port) override;
  std::uint32_t ReadPortUlong(std::uint16_t port) override;
  void WritePortUchar(std::uint16_t port, std::uint8_t value) override;
  void WritePortUshort(std::uint16_t port, std::uint16_t value) override;
  void WritePortUlong(std::uint16_t port, std::uint32_t value) override;

  bool HalTranslateBusAddress(std::uint32_t interface_type, std::uint32_t bus_number,
                              std::uint64_t bus_address, std::uint32_t& address_space,
                              std::uint64_t& translated_address) override;
  // Runs in the context of the process that sent the request.
  std::optional<std::uint32_t> MapPhysicalMemoryView(std::uint64_t& section_offset,
                                                     std::uint32_t view_size) override;
  // A 9x service; NT has none.
  std::optional<std::uint32_t> MapPhysToLinear(std::uint32_t physical,
                                               std::uint32_t length) override;
};

}  // namespace tunora::drivers::nt
