// A kernel in front of an honest one (the simulated PC's) that misbehaves
// the way a HAL, the memory manager or a broken bus may, so the drivers'
// own checks meet something other than the identity translation and
// well-formed configuration space. Every mapping a driver asks for is
// logged, served or not. Header-only: the fuzz targets use it too.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "hwaccess/drivers/kernel_services.h"

namespace tunora::testing {

class MisbehavingKernel : public drivers::KernelServices {
 public:
  enum class Fault : std::uint8_t {
    kNone,
    kShiftTranslation,  // translated address = bus address + amount (wrapping)
    kMoveTranslation,   // every bus address translates to amount
    kTranslateToIo,     // memory translates into I/O space, same address
    kFailTranslation,
    kFailMapping,      // the section view or the linear mapping fails
    kMisroundSection,  // the section offset comes back amount above the rounded one
    kJunkPortReads,    // every configuration read returns amount
  };
  static constexpr int kFaultCount = 8;

  struct Mapping {
    std::uint64_t physical;
    std::uint32_t length;
  };

  explicit MisbehavingKernel(drivers::KernelServices& honest) : honest_(honest) {}

  Fault fault = Fault::kNone;
  std::uint64_t amount = 0;
  std::vector<Mapping> mappings;  // every range a driver asked to map

  std::uint32_t ReadConfig32(std::uint8_t bus, std::uint8_t device, std::uint8_t reg) override {
    return Junk() ? static_cast<std::uint32_t>(amount) : honest_.ReadConfig32(bus, device, reg);
  }
  void WriteConfig(std::uint8_t bus, std::uint8_t device, std::uint8_t reg, std::uint8_t size,
                   std::uint32_t value) override {
    honest_.WriteConfig(bus, device, reg, size, value);
  }

  bool HalTranslateBusAddress(std::uint32_t interface_type, std::uint32_t bus_number,
                              std::uint64_t bus_address, std::uint32_t& address_space,
                              std::uint64_t& translated_address) override {
    if (fault == Fault::kFailTranslation ||
        !honest_.HalTranslateBusAddress(interface_type, bus_number, bus_address, address_space,
                                        translated_address)) {
      return false;
    }
    if (fault == Fault::kShiftTranslation) translated_address += amount;
    if (fault == Fault::kMoveTranslation) translated_address = amount;
    if (fault == Fault::kTranslateToIo) address_space = drivers::kAddressSpaceIo;
    return true;
  }

  std::optional<std::uint32_t> MapPhysicalMemoryView(std::uint64_t& section_offset,
                                                     std::uint32_t view_size) override {
    mappings.push_back({section_offset, view_size});
    if (fault == Fault::kFailMapping) return std::nullopt;
    const auto base = honest_.MapPhysicalMemoryView(section_offset, view_size);
    // Above the rounded offset: a sum that wraps stays at the top.
    if (base && fault == Fault::kMisroundSection) {
      section_offset =
          section_offset + amount < section_offset ? UINT64_MAX : section_offset + amount;
    }
    return base;
  }

  std::optional<std::uint32_t> MapPhysToLinear(std::uint32_t physical,
                                               std::uint32_t length) override {
    mappings.push_back({physical, length});
    if (fault == Fault::kFailMapping) return std::nullopt;
    return honest_.MapPhysToLinear(physical, length);
  }

 private:
  bool Junk() const { return fault == Fault::kJunkPortReads; }

  drivers::KernelServices& honest_;
};

}  // namespace tunora::testing
