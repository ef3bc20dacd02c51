#include "sim/os/process_memory.h"

#include <cstdio>
#include <string>

#include "sim/hardware/physical_memory.h"

namespace tunora::sim {
namespace {

std::string FaultText(std::uint32_t address) {
  char text[96];
  std::snprintf(text, sizeof text, "access violation: 0x%08X lies outside every mapped view",
                address);
  return text;
}

}  // namespace

ProcessMemoryFault::ProcessMemoryFault(std::uint32_t address)
    : std::runtime_error(FaultText(address)), address_(address) {}

std::optional<std::uint32_t> ProcessAddressSpace::MapPhysical(std::uint64_t physical,
                                                              std::uint32_t length) {
  if (length == 0) return std::nullopt;
  const std::uint64_t page_base = physical & ~std::uint64_t{kPageSize - 1};
  const std::uint64_t end = physical + length;
  const std::uint64_t size = (end - page_base + kPageSize - 1) & ~std::uint64_t{kPageSize - 1};
  // One unmapped guard page after every view.
  if (size + kPageSize > kViewAddressLimit - next_address_) return std::nullopt;
  const std::uint32_t base = next_address_;
  views_[base] = {static_cast<std::uint32_t>(size), page_base};
  next_address_ += static_cast<std::uint32_t>(size) + kPageSize;
  return base + static_cast<std::uint32_t>(physical - page_base);
}

std::uint64_t ProcessAddressSpace::Translate(std::uint32_t address) const {
  auto view = views_.upper_bound(address);
  if (view == views_.begin()) throw ProcessMemoryFault(address);
  --view;
  const std::uint32_t offset = address - view->first;
  if (offset >= view->second.size) throw ProcessMemoryFault(address);
  return view->second.physical_base + offset;
}

std::optional<std::uint64_t> ProcessAddressSpace::PhysicalAddressOf(std::uint32_t address) const {
  try {
    return Translate(address);
  } catch (const ProcessMemoryFault&) {
    return std::nullopt;
  }
}

std::uint8_t ProcessAddressSpace::Read8(std::uint32_t address) {
  return physical_.Read8(Translate(address));
}

void ProcessAddressSpace::Write8(std::uint32_t address, std::uint8_t value) {
  physical_.Write8(Translate(address), value);
}

void ProcessAddressSpace::UnmapAll() {
  views_.clear();
  next_address_ = kFirstViewAddress;
}

}  // namespace tunora::sim
