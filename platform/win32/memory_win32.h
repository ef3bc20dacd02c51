// Process memory port: the address a driver's map request returned is a
// plain pointer into this process.
#pragma once

#include "platform/memory.h"

namespace tunora::win32 {

class Win32ProcessMemory : public ProcessMemory {
 public:
  std::uint8_t Read8(std::uint32_t address) override;
  void Write8(std::uint32_t address, std::uint8_t value) override;
};

}  // namespace tunora::win32
