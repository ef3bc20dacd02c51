#include "sim/hardware/pci_bus.h"

#include <utility>

namespace tunora::sim {
namespace {

constexpr std::uint32_t kAllOnes = 0xFFFFFFFFu;

std::uint16_t SlotKey(std::uint8_t bus, std::uint8_t device) {
  return static_cast<std::uint16_t>(bus << 5 | (device & 0x1F));
}

}  // namespace

PciDevice::PciDevice(std::uint16_t vendor_id, std::uint16_t device_id) {
  Set32(kRegIds, static_cast<std::uint32_t>(device_id) << 16 | vendor_id);
  SetWriteMask32(kRegCommand, 0x0000FFFF);  // command only, status stays
  SetWriteMask32(0x0C, 0x0000FFFF);         // cache line size, latency timer
  SetWriteMask32(0x3C, 0x000000FF);         // interrupt line
  for (unsigned reg = 0x40; reg < 0x100; reg += 4) {
    SetWriteMask32(static_cast<std::uint8_t>(reg), 0xFFFFFFFF);
  }
}

std::uint16_t PciDevice::VendorId() const { return static_cast<std::uint16_t>(Read32(kRegIds)); }

std::uint16_t PciDevice::DeviceId() const {
  return static_cast<std::uint16_t>(Read32(kRegIds) >> 16);
}

std::uint8_t PciDevice::Read8(std::uint8_t offset) const { return config_[offset]; }

std::uint32_t PciDevice::Read32(std::uint8_t reg) const {
  const unsigned base = reg & 0xFCu;
  return static_cast<std::uint32_t>(config_[base]) |
         static_cast<std::uint32_t>(config_[base + 1]) << 8 |
         static_cast<std::uint32_t>(config_[base + 2]) << 16 |
         static_cast<std::uint32_t>(config_[base + 3]) << 24;
}

void PciDevice::Write8(std::uint8_t offset, std::uint8_t value) {
  const std::uint8_t mask = write_mask_[offset];
  config_[offset] = static_cast<std::uint8_t>((config_[offset] & ~mask) | (value & mask));
}

void PciDevice::Write32(std::uint8_t reg, std::uint32_t value) {
  const unsigned base = reg & 0xFCu;
  for (unsigned i = 0; i < 4; ++i) {
    Write8(static_cast<std::uint8_t>(base + i), static_cast<std::uint8_t>(value >> (8 * i)));
  }
}

void PciDevice::Set32(std::uint8_t reg, std::uint32_t value) {
  const unsigned base = reg & 0xFCu;
  for (unsigned i = 0; i < 4; ++i) config_[base + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void PciDevice::SetWriteMask32(std::uint8_t reg, std::uint32_t mask) {
  const unsigned base = reg & 0xFCu;
  for (unsigned i = 0; i < 4; ++i)
    write_mask_[base + i] = static_cast<std::uint8_t>(mask >> (8 * i));
}

std::uint32_t PciDevice::WriteMask32(std::uint8_t reg) const {
  const unsigned base = reg & 0xFCu;
  return static_cast<std::uint32_t>(write_mask_[base]) |
         static_cast<std::uint32_t>(write_mask_[base + 1]) << 8 |
         static_cast<std::uint32_t>(write_mask_[base + 2]) << 16 |
         static_cast<std::uint32_t>(write_mask_[base + 3]) << 24;
}

void PciDevice::SetSubsystem(std::uint16_t subsystem_vendor, std::uint16_t subsystem_id) {
  Set32(kRegSubsystem, static_cast<std::uint32_t>(subsystem_id) << 16 | subsystem_vendor);
}

void PciDevice::SetClassCode(std::uint32_t class_code) {
  const std::uint32_t revision = Read32(kRegClassRevision) & 0xFF;
  Set32(kRegClassRevision, (class_code & 0xFFFFFF) << 8 | revision);
}

PciBus::PciBus(MillisecondClock clock) : clock_(std::move(clock)) {}

PciDevice& PciBus::Attach(std::uint8_t bus, std::uint8_t device, PciDevice config) {
  auto& slot = slots_[SlotKey(bus, device)];
  slot = std::make_unique<PciDevice>(config);
  return *slot;
}

PciDevice* PciBus::Find(std::uint8_t bus, std::uint8_t device) {
  const auto found = slots_.find(SlotKey(bus, device));
  return found == slots_.end() ? nullptr : found->second.get();
}

const PciDevice* PciBus::Find(std::uint8_t bus, std::uint8_t device) const {
  const auto found = slots_.find(SlotKey(bus, device));
  return found == slots_.end() ? nullptr : found->second.get();
}

std::uint32_t PciBus::ConfigRead32(std::uint8_t bus, std::uint8_t device, std::uint8_t function,
                                   std::uint8_t reg) const {
  const PciDevice* found = Find(bus, device);
  if (found == nullptr || function != 0) return kAllOnes;
  return found->Read32(reg);
}

void PciBus::ConfigWrite32(std::uint8_t bus, std::uint8_t device, std::uint8_t function,
                           std::uint8_t reg, std::uint32_t value) {
  PciDevice* found = Find(bus, device);
  if (found == nullptr || function != 0) return;
  found->Write32(reg, value);
  LogWrite(bus, device, static_cast<std::uint8_t>(reg & 0xFC), 4, value);
}

}  // namespace tunora::sim
