#include "hwaccess/drivers/nt/nt_kernel.h"

#include "hwaccess/drivers/nt/nt_ddk.h"

namespace tunora::drivers::nt {
namespace {

// ZwMapViewOfSection rounds a section offset down to this.
constexpr std::uint64_t kAllocationGranularity = 0x10000;

// A kernel handle keeps the section out of the caller's handle table; NT 4
// does not know the attribute, so it is tried without it there.
NTSTATUS OpenPhysicalMemory(HANDLE* section) {
  UNICODE_STRING name;
  RtlInitUnicodeString(&name, L"\\Device\\PhysicalMemory");
  for (ULONG attributes :
       {ULONG{OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE}, ULONG{OBJ_CASE_INSENSITIVE}}) {
    OBJECT_ATTRIBUTES object;
    InitializeObjectAttributes(&object, &name, attributes, nullptr, nullptr);
    const NTSTATUS status = ZwOpenSection(section, SECTION_ALL_ACCESS, &object);
    if (status != STATUS_INVALID_PARAMETER) return status;
  }
  return STATUS_INVALID_PARAMETER;
}

}  // namespace

void NtKernel::WriteConfig(std::uint8_t bus, std::uint8_t device, std::uint8_t reg,
                           std::uint8_t size, std::uint32_t value) {
  ULONG data = value;
  HalSetBusDataByOffset(PCIConfiguration, bus, PciSlotOf(device), &data, PciOffsetOf(reg), size);
}

bool NtKernel::HalTranslateBusAddress(std::uint32_t interface_type, std::uint32_t bus_number,
                                      std::uint64_t bus_address, std::uint32_t& address_space,
                                      std::uint64_t& translated_address) {
  PHYSICAL_ADDRESS bus;
  bus.QuadPart = static_cast<LONGLONG>(bus_address);
  PHYSICAL_ADDRESS translated;
  translated.QuadPart = 0;
  ULONG space = address_space;
  if (!::HalTranslateBusAddress(static_cast<INTERFACE_TYPE>(interface_type), bus_number, bus,
                                &space, &translated)) {
    return false;
  }
  address_space = space;
  translated_address = static_cast<std::uint64_t>(translated.QuadPart);
  return true;
}

std::optional<std::uint32_t> NtKernel::MapPhysicalMemoryView(std::uint64_t& section_offset,
                                                             std::uint32_t view_size) {
  // Rounding here, not by the system, so the view is sure to reach the
  // last requested byte.
  const std::uint64_t rounded = section_offset & ~(kAllocationGranularity - 1);
  const auto lead = static_cast<SIZE_T>(section_offset - rounded);
  if (view_size == 0 || view_size > ~SIZE_T{0} - lead) return std::nullopt;
  HANDLE section = nullptr;
  if (!NT_SUCCESS(OpenPhysicalMemory(&section))) return std::nullopt;
  LARGE_INTEGER offset;
  offset.QuadPart = static_cast<LONGLONG>(rounded);
  SIZE_T size = lead + view_size;
  PVOID base = nullptr;
  const NTSTATUS status = ZwMapViewOfSection(section, NtCurrentProcess(), &base, 0, 0, &offset,
                                             &size, ViewShare, 0, PAGE_READWRITE | PAGE_NOCACHE);
  ZwClose(section);
  if (!NT_SUCCESS(status)) return std::nullopt;
  section_offset = static_cast<std::uint64_t>(offset.QuadPart);
  return static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(base));
}

}  // namespace tunora::drivers::nt
