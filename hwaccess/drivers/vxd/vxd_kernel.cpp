#include "hwaccess/drivers/vxd/vxd_kernel.h"

#include "hwaccess/drivers/pci_ports.h"

namespace tunora::drivers::vxd {
namespace {

// VMM services are reached by "int 20h" followed by a dword naming the
// device (high word; the VMM is device 1) and the service (low word); the
// VMM patches the six bytes into a call the first time they run.
constexpr std::uint32_t kVmmMapPhysToLinear = 0x0001006C;
constexpr std::uint32_t kMapFailed = 0xFFFFFFFFu;

}  // namespace

// The address and the data port as one pair: interrupts are off from the
// address write to the data access (pushfd/cli ... popfd), so no
// interrupt handler's configuration access lands between them, and the
// caller's interrupt flag comes back as it was.
std::uint32_t VxdKernel::ReadConfig32(std::uint8_t bus, std::uint8_t device, std::uint8_t reg) {
  std::uint32_t value = drivers::ConfigAddress(bus, device, reg);
  asm volatile(
      "pushfl\n\t"
      "cli\n\t"
      "movw %1, %%dx\n\t"
      "outl %%eax, %%dx\n\t"
      "movw %2, %%dx\n\t"
      "inl %%dx, %%eax\n\t"
      "popfl"
      : "+a"(value)
      : "i"(drivers::kConfigAddressPort), "i"(drivers::kConfigDataPort)
      : "edx", "memory", "cc");
  return value;
}

void VxdKernel::WriteConfig(std::uint8_t bus, std::uint8_t device, std::uint8_t reg,
                            std::uint8_t size, std::uint32_t value) {
  const std::uint32_t address = drivers::ConfigAddress(bus, device, reg);
  std::uint32_t scratch = address;
  asm volatile(
      "pushfl\n\t"
      "cli\n\t"
      "movw %3, %%dx\n\t"
      "outl %%eax, %%dx\n\t"
      "movw %4, %%dx\n\t"
      "movl %1, %%eax\n\t"
      "cmpb $4, %2\n\t"
      "je 4f\n\t"
      "cmpb $2, %2\n\t"
      "je 2f\n\t"
      "outb %%al, %%dx\n\t"
      "jmp 1f\n"
      "2:\n\t"
      "outw %%ax, %%dx\n\t"
      "jmp 1f\n"
      "4:\n\t"
      "outl %%eax, %%dx\n"
      "1:\n\t"
      "popfl"
      : "+a"(scratch)
      : "r"(value), "q"(size), "i"(drivers::kConfigAddressPort), "i"(drivers::kConfigDataPort)
      : "edx", "memory", "cc");
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
