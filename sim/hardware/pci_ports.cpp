// Configuration mechanism 1: the address latch at 0xCF8 and the data
// window at 0xCFC..0xCFF.
#include "sim/hardware/pci_bus.h"

namespace tunora::sim {
namespace {

constexpr std::uint32_t kEnableBit = 0x80000000u;
constexpr std::uint16_t kLastDataPort = 0xCFF;

std::uint32_t AllOnes(unsigned size) { return size >= 4 ? 0xFFFFFFFFu : (1u << (8 * size)) - 1; }

}  // namespace

bool PciBus::DecodesPort(std::uint16_t port) {
  return port >= kConfigAddressPort && port <= kLastDataPort;
}

PciBus::Decoded PciBus::DecodeAddress() {
  Decoded decoded;
  const auto function = static_cast<std::uint8_t>((address_ >> 8) & 0x7);
  if ((address_ & kEnableBit) == 0 || function != 0) return decoded;
  decoded.bus = static_cast<std::uint8_t>(address_ >> 16);
  decoded.slot = static_cast<std::uint8_t>((address_ >> 11) & 0x1F);
  decoded.reg = static_cast<std::uint8_t>(address_ & 0xFC);
  decoded.device = Find(decoded.bus, decoded.slot);
  return decoded;
}

std::uint32_t PciBus::PortIn(std::uint16_t port, unsigned size) {
  if (port == kConfigAddressPort && size == 4) return address_;
  if (port < kConfigDataPort || port > kLastDataPort) return AllOnes(size);
  const Decoded target = DecodeAddress();
  std::uint32_t value = 0;
  for (unsigned i = 0; i < size; ++i) {
    const unsigned byte_port = port + i;
    std::uint8_t byte = 0xFF;
    if (target.device != nullptr && byte_port <= kLastDataPort) {
      byte =
          target.device->Read8(static_cast<std::uint8_t>(target.reg + byte_port - kConfigDataPort));
    }
    value |= static_cast<std::uint32_t>(byte) << (8 * i);
  }
  return value;
}

void PciBus::PortOut(std::uint16_t port, unsigned size, std::uint32_t value) {
  if (port == kConfigAddressPort && size == 4) {
    address_ = value;
    return;
  }
  if (port < kConfigDataPort || port > kLastDataPort) return;
  const Decoded target = DecodeAddress();
  if (target.device == nullptr) return;
  const auto first = static_cast<std::uint8_t>(target.reg + port - kConfigDataPort);
  unsigned written = 0;
  for (unsigned i = 0; i < size && port + i <= kLastDataPort; ++i, ++written) {
    target.device->Write8(static_cast<std::uint8_t>(first + i),
                          static_cast<std::uint8_t>(value >> (8 * i)));
  }
  LogWrite(target.bus, target.slot, first, written, value & AllOnes(written));
}

void PciBus::LogWrite(std::uint8_t bus, std::uint8_t device, std::uint8_t offset, unsigned size,
                      std::uint32_t value) {
  writes_.push_back({Now(clock_), bus, device, offset, static_cast<std::uint8_t>(size), value});
}

}  // namespace tunora::sim
