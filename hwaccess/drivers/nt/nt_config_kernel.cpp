#include "hwaccess/drivers/nt/nt_kernel.h"
// After the portable headers: the DDK defines the STATUS_* names as macros.
#include "hwaccess/drivers/nt/nt_ddk.h"

namespace tunora::drivers::nt {

// The HAL answers 0 bytes for a bus that does not exist and 2 (the vendor
// 0xFFFF) for an empty slot; the ports read all ones for both.
std::uint32_t NtConfigKernel::ReadConfig32(std::uint8_t bus, std::uint8_t device,
                                           std::uint8_t reg) {
  ULONG value = 0xFFFFFFFFu;
  const ULONG read = HalGetBusDataByOffset(PCIConfiguration, bus, PciSlotOf(device), &value,
                                           PciOffsetOf(reg), sizeof(value));
  return read == sizeof(value) ? value : 0xFFFFFFFFu;
}

void NtConfigKernel::WriteConfig(std::uint8_t, std::uint8_t, std::uint8_t, std::uint8_t,
                                 std::uint32_t) {}

bool NtConfigKernel::HalTranslateBusAddress(std::uint32_t, std::uint32_t, std::uint64_t,
                                            std::uint32_t&, std::uint64_t&) {
  return false;
}

std::optional<std::uint32_t> NtConfigKernel::MapPhysicalMemoryView(std::uint64_t&, std::uint32_t) {
  return std::nullopt;
}

std::optional<std::uint32_t> NtConfigKernel::MapPhysToLinear(std::uint32_t, std::uint32_t) {
  return std::nullopt;
}

}  // namespace tunora::drivers::nt
