// Process memory port: byte access to views of physical memory that a
// driver mapped into this process. The address is the 32-bit value the
// map request returned; on Windows it is a plain pointer.
#pragma once

#include <cstdint>

namespace tunora {

class ProcessMemory {
 public:
  virtual ~ProcessMemory() = default;
  virtual std::uint8_t Read8(std::uint32_t address) = 0;
  virtual void Write8(std::uint32_t address, std::uint8_t value) = 0;
};

}  // namespace tunora
