#include "hwaccess/drivers/vxd/vxd_kernel.h"

namespace tunora::drivers::vxd {
namespace {

// VMM services are reached by "int 20h" followed by a dword naming the
// device (high word; the VMM is device 1) and the service (low word); the
// VMM patches the six bytes into a call the first time they run.
constexpr std::uint32_t kVmmMapPhysToLinear = 0x0001006C;
constexpr std::uint32_t kMapFailed = 0xFFFFFFFFu;

}  // namespace

std::uint8_t VxdKernel::ReadPortUchar(std::uint16_t port) {
  std::uint8_t value;
  asm volatile("inb %w1, %0" : "=a"(value) : "Nd"(port));
  return value;
}
std::uint16_t VxdKernel::ReadPortUshort(std::uint16_t port) {
  std::uint16_t value;
  asm volatile("inw %w1, %0" : "=a"(value) : "Nd"(port));
  return value;
}
std::uint32_t VxdKernel::ReadPortUlong(std::uint16_t port) {
  std::uint32_t value;
  asm volatile("inl %w1, %0" : "=a"(value) : "Nd"(port));
  return value;
}
void VxdKernel::WritePortUchar(std::uint16_t port, std::uint8_t value) {
  asm volatile("outb %0, %w1" : : "a"(value), "Nd"(port));
}
void VxdKernel::WritePortUshort(std::uint16_t port, std::uint16_t value) {
  asm volatile("outw %0, %w1" : : "a"(value), "Nd"(port));
}
void VxdKernel::WritePortUlong(std::uint16_t port, std::uint32_t value) {
  asm volatile("outl %0, %w1" : : "a"(value), "Nd"(port));
}

bool VxdKernel::HalTranslateBusAddress(std::uint32_t, std::uint32_t, std::uint64_t, std::uint32_t&,
                                       std::uint64_t&) {
  return false;
}

std::optional<std::uint32_t> VxdKernel::MapPhysicalMemoryView(std::uint64_t&, std::uint32_t) {
  return std::nullopt;
}

// _MapPhysToLinear(PhysAddr, nBytes, flags): C calling convention, the
// caller pops the arguments; the linear address in EAX, -1 on failure.
std::optional<std::uint32_t> VxdKernel::MapPhysToLinear(std::uint32_t physical,
                                                        std::uint32_t length) {
  std::uint32_t linear;
  asm volatile(
      "pushl $0\n\t"
      "pushl %2\n\t"
      "pushl %1\n\t"
      "int $0x20\n\t"
      ".long %c3\n\t"
      "addl $12, %%esp"
      : "=a"(linear)
      : "r"(physical), "r"(length), "i"(kVmmMapPhysToLinear)
      : "ecx", "edx", "memory", "cc");
  if (linear == kMapFailed) return std::nullopt;
  return linear;
}

}  // namespace tunora::drivers::vxd
