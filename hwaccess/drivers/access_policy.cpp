#include "hwaccess/drivers/access_policy.h"

namespace tunora::drivers {
namespace {

constexpr int kBusCount = 256;
constexpr int kDevicesPerBus = 32;

bool Inside(std::uint64_t physical, std::uint64_t length, std::uint64_t start, std::uint64_t end) {
  return physical >= start && physical <= end && length <= end - physical;
}

bool IsMakerDevice(KernelServices& kernel, std::uint8_t bus, std::uint8_t device) {
  return (kernel.ReadConfig32(bus, device, 0x00) & 0xFFFFu) == kMakerVendor;
}

bool InsideSomeCardWindow(KernelServices& kernel, std::uint64_t physical, std::uint64_t length) {
  for (int bus = 0; bus < kBusCount; ++bus) {
    for (int device = 0; device < kDevicesPerBus; ++device) {
      const auto b = static_cast<std::uint8_t>(bus);
      const auto d = static_cast<std::uint8_t>(device);
      if (!IsMakerDevice(kernel, b, d)) continue;
      const std::uint32_t bar = kernel.ReadConfig32(b, d, kWindowBaseRegister);
      // A window in I/O space names ports, not memory: its number would
      // open whatever memory lies there.
      if ((bar & kIoSpaceBit) != 0) continue;
      const std::uint64_t base = bar & kWindowBaseMask;
      // An unassigned window would open the bottom of memory.
      if (base == 0) continue;
      if (Inside(physical, length, base, base + kCardWindowAllowance)) return true;
    }
  }
  return false;
}

}  // namespace

bool MapAddressSpaceAllowed(std::uint32_t address_space) {
  return address_space == kAddressSpaceMemory || address_space == kAddressSpaceMemoryUntranslated;
}

bool MapRangeAllowed(KernelServices& kernel, std::uint64_t physical, std::uint64_t length) {
  if (Inside(physical, length, kVideoBiosWindowStart, kVideoBiosWindowEnd)) return true;
  return InsideSomeCardWindow(kernel, physical, length);
}

bool ConfigWriteAllowed(KernelServices& kernel, std::uint8_t bus, std::uint8_t device,
                        std::uint8_t reg) {
  if (reg != 0x04 && reg != 0x40 && reg != 0x54) return false;
  return IsMakerDevice(kernel, bus, device);
}

}  // namespace tunora::drivers
