// What a driver gets from its kernel. The real drivers implement this over
// the HAL and the memory manager (NT) or the VMM services (9x); the
// simulated machine implements it over its bus and physical map.
#pragma once

#include <cstdint>
#include <optional>

#include "hwaccess/drivers/ntstatus.h"

namespace tunora::drivers {

// INTERFACE_TYPE values HalTranslateBusAddress knows.
inline constexpr std::uint32_t kInterfaceInternal = 0;
inline constexpr std::uint32_t kInterfaceIsa = 1;
inline constexpr std::uint32_t kInterfacePci = 5;

// Address-space values of the map request and of HalTranslateBusAddress.
inline constexpr std::uint32_t kAddressSpaceMemory = 0;
inline constexpr std::uint32_t kAddressSpaceIo = 1;
inline constexpr std::uint32_t kAddressSpaceMemoryUntranslated = 2;

class KernelServices {
 public:
  virtual ~KernelServices() = default;

  // One configuration access of function 0 of (bus, device), register
  // `reg`: the address and the data as one pair no other configuration
  // user can come between (on NT the HAL's bus-data calls, which take the
  // HAL's own lock; on 9x the ports with interrupts off). A read returns
  // all ones where no device answers. A write stores the low `size` bytes
  // (1, 2 or 4) of `value` from the start of the register.
  virtual std::uint32_t ReadConfig32(std::uint8_t bus, std::uint8_t device, std::uint8_t reg) = 0;
  virtual void WriteConfig(std::uint8_t bus, std::uint8_t device, std::uint8_t reg,
                           std::uint8_t size, std::uint32_t value) = 0;

  // HalTranslateBusAddress. `address_space` goes in as the bus's space
  // (0 memory, 1 I/O) and comes back as the space of the translated
  // address. Returns false when the bus cannot translate the address.
  virtual bool HalTranslateBusAddress(std::uint32_t interface_type, std::uint32_t bus_number,
                                      std::uint64_t bus_address, std::uint32_t& address_space,
                                      std::uint64_t& translated_address) = 0;

  // ZwOpenSection("\Device\PhysicalMemory") + ZwMapViewOfSection into the
  // calling process (ViewShare, PAGE_READWRITE | PAGE_NOCACHE) + ZwClose.
  // `section_offset` goes in as the physical start and comes back rounded
  // down to the mapping granularity; the view covers the requested bytes.
  // Returns the caller-side address of the rounded offset, or nothing when
  // the section cannot be opened or mapped.
  virtual std::optional<std::uint32_t> MapPhysicalMemoryView(std::uint64_t& section_offset,
                                                             std::uint32_t view_size) = 0;

  // The 9x _MapPhysToLinear service: linear address of the first byte,
  // shared by every Win32 process, or nothing on failure.
  virtual std::optional<std::uint32_t> MapPhysToLinear(std::uint32_t physical,
                                                       std::uint32_t length) = 0;
};

}  // namespace tunora::drivers
