// User-mode port I/O on the simulated PC: the PCI configuration ports go
// to the bus; no other port answers (reads all ones, writes are lost).
#pragma once

#include <cstdint>

#include "platform/port_io.h"
#include "sim/hardware/pci_bus.h"

namespace tunora::sim {

class SimPortIo : public tunora::PortIo {
 public:
  explicit SimPortIo(PciBus& bus) : bus_(bus) {}

  std::uint8_t In8(std::uint16_t port) override;
  std::uint16_t In16(std::uint16_t port) override;
  std::uint32_t In32(std::uint16_t port) override;
  void Out8(std::uint16_t port, std::uint8_t value) override;
  void Out16(std::uint16_t port, std::uint16_t value) override;
  void Out32(std::uint16_t port, std::uint32_t value) override;

 private:
  std::uint32_t In(std::uint16_t port, unsigned size);
  void Out(std::uint16_t port, unsigned size, std::uint32_t value);

  PciBus& bus_;
};

}  // namespace tunora::sim
