// PCI configuration space as the program sees it: 32-bit reads and writes
// of (bus, device, function 0, register). One implementation per road:
// direct ports on Windows 98/ME, the port drivers on NT.
#pragma once

#include <cstdint>

namespace tunora {

class ConfigSpace {
 public:
  virtual ~ConfigSpace() = default;
  virtual std::uint32_t Read32(std::uint8_t bus, std::uint8_t device, std::uint8_t reg) = 0;
  virtual void Write32(std::uint8_t bus, std::uint8_t device, std::uint8_t reg,
                       std::uint32_t value) = 0;
};

}  // namespace tunora
