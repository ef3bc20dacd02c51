#include "sim/hardware/sim_port_io.h"

namespace tunora::sim {

std::uint32_t SimPortIo::In(std::uint16_t port, unsigned size) {
  if (PciBus::DecodesPort(port)) return bus_.PortIn(port, size);
  return size == 4 ? 0xFFFFFFFFu : (1u << (8 * size)) - 1;
}

void SimPortIo::Out(std::uint16_t port, unsigned size, std::uint32_t value) {
  if (PciBus::DecodesPort(port)) bus_.PortOut(port, size, value);
}

std::uint8_t SimPortIo::In8(std::uint16_t port) { return static_cast<std::uint8_t>(In(port, 1)); }

std::uint16_t SimPortIo::In16(std::uint16_t port) {
  return static_cast<std::uint16_t>(In(port, 2));
}

std::uint32_t SimPortIo::In32(std::uint16_t port) { return In(port, 4); }

void SimPortIo::Out8(std::uint16_t port, std::uint8_t value) { Out(port, 1, value); }

void SimPortIo::Out16(std::uint16_t port, std::uint16_t value) { Out(port, 2, value); }

void SimPortIo::Out32(std::uint16_t port, std::uint32_t value) { Out(port, 4, value); }

}  // namespace tunora::sim
