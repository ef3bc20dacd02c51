// The devices the machines are built from: the host bridge and the
// maker's boards.
#include <stdexcept>

#include "sim/hardware/pci_bus.h"

namespace tunora::sim {
namespace {

constexpr std::uint16_t kVendorWithHighAgpRegisters = 0x10B9;
constexpr std::uint32_t kClassHostBridge = 0x060000;
constexpr std::uint32_t kClassVga = 0x030000;

bool CarriesAgpOverride(std::uint16_t vendor_id, std::uint16_t device_id) {
  return vendor_id == 0x8086 && (device_id == 0x1130 || device_id == 0x2500);
}

}  // namespace

std::uint8_t HostAgpCapabilityRegister(std::uint16_t vendor_id) {
  return vendor_id == kVendorWithHighAgpRegisters ? 0xB0 : 0xA0;
}

std::uint8_t HostAgpCommandRegister(std::uint16_t vendor_id) {
  return vendor_id == kVendorWithHighAgpRegisters ? 0xB8 : 0xA8;
}

PciDevice MakeHostBridge(const HostBridgeConfig& config) {
  PciDevice bridge(config.vendor_id, config.device_id);
  bridge.SetClassCode(kClassHostBridge);
  const std::uint8_t capability = HostAgpCapabilityRegister(config.vendor_id);
  bridge.Set32(capability, config.agp_capability);
  bridge.SetWriteMask32(capability, 0);  // a capability header is read-only
  bridge.Set32(HostAgpCommandRegister(config.vendor_id), config.agp_command);
  if (config.agp_override) {
    if (!CarriesAgpOverride(config.vendor_id, config.device_id)) {
      throw std::invalid_argument("only 8086:1130 and 8086:2500 carry the AGP override");
    }
    bridge.Set32(kHostAgpOverrideRegister, 1);
  }
  if (CarriesAgpOverride(config.vendor_id, config.device_id)) {
    bridge.SetWriteMask32(kHostAgpOverrideRegister, 0);  // a strap, not a setting
  }
  return bridge;
}

PciDevice MakeMakerBoard(const MakerBoardConfig& config) {
  PciDevice board(kMakerVendorId, config.device_id);
  board.SetClassCode(kClassVga);
  board.SetSubsystem(config.subsystem_vendor, config.subsystem_id);
  board.Set32(kRegCommand, config.command);
  board.Set32(kRegWindowBase, config.window_base & kWindowBaseMask);
  board.SetWriteMask32(kRegWindowBase, kWindowBaseMask);
  board.Set32(kRegOption, config.option);
  board.Set32(kRegDividerOverride, config.divider_override);
  board.Set32(kRegDividerCode, config.divider_code);
  board.Set32(kRegCardAgpCommand, config.agp_command);
  return board;
}

}  // namespace tunora::sim
