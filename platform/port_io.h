// Port I/O port: user-mode IN/OUT instructions, which only Windows 98/ME
// allows. Used for PCI configuration mechanism 1 at 0xCF8/0xCFC.
#pragma once

#include <cstdint>

namespace tunora {

class PortIo {
 public:
  virtual ~PortIo() = default;
  virtual std::uint8_t In8(std::uint16_t port) = 0;
  virtual std::uint16_t In16(std::uint16_t port) = 0;
  virtual std::uint32_t In32(std::uint16_t port) = 0;
  virtual void Out8(std::uint16_t port, std::uint8_t value) = 0;
  virtual void Out16(std::uint16_t port, std::uint16_t value) = 0;
  virtual void Out32(std::uint16_t port, std::uint32_t value) = 0;
};

}  // namespace tunora
