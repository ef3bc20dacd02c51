// Port I/O port: IN and OUT executed in user mode. Windows 98/ME lets a
// program do that; NT faults, which is why only the 9x road calls it.
#pragma once

#include "platform/port_io.h"

namespace tunora::win32 {

class Win32PortIo : public PortIo {
 public:
  std::uint8_t In8(std::uint16_t port) override;
  std::uint16_t In16(std::uint16_t port) override;
  std::uint32_t In32(std::uint16_t port) override;
  void Out8(std::uint16_t port, std::uint8_t value) override;
  void Out16(std::uint16_t port, std::uint16_t value) override;
  void Out32(std::uint16_t port, std::uint32_t value) override;
};

}  // namespace tunora::win32
