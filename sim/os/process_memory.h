// The program's address space as far as the drivers shape it: views of
// physical memory mapped at caller addresses. Touching an address outside
// every view throws, where a real process would crash.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>

#include "platform/memory.h"

namespace tunora::sim {

class PhysicalMemory;

class ProcessMemoryFault : public std::runtime_error {
 public:
  explicit ProcessMemoryFault(std::uint32_t address);
  std::uint32_t address() const { return address_; }

 private:
  std::uint32_t address_;
};

inline constexpr std::uint32_t kPageSize = 0x1000;
inline constexpr std::uint32_t kFirstViewAddress = 0x10000000;
inline constexpr std::uint32_t kViewAddressLimit = 0x7FFF0000;  // end of user space

class ProcessAddressSpace : public tunora::ProcessMemory {
 public:
  explicit ProcessAddressSpace(PhysicalMemory& physical) : physical_(physical) {}

  // Maps the pages covering [physical, physical + length) and returns the
  // caller address of `physical` itself (the in-page offset is kept).
  // Nothing for an empty range or when the address space is full. Views
  // are page aligned with an unmapped page between them.
  std::optional<std::uint32_t> MapPhysical(std::uint64_t physical, std::uint32_t length);

  std::uint8_t Read8(std::uint32_t address) override;
  void Write8(std::uint32_t address, std::uint8_t value) override;

  std::size_t ViewCount() const { return views_.size(); }
  // The physical address a caller address shows, or nothing outside
  // every view.
  std::optional<std::uint64_t> PhysicalAddressOf(std::uint32_t address) const;
  // The process ended: every view goes.
  void UnmapAll();

 private:
  struct View {
    std::uint32_t size;           // whole pages
    std::uint64_t physical_base;  // page aligned
  };
  std::uint64_t Translate(std::uint32_t address) const;

  PhysicalMemory& physical_;
  std::map<std::uint32_t, View> views_;  // by caller base address
  std::uint32_t next_address_ = kFirstViewAddress;
};

}  // namespace tunora::sim
