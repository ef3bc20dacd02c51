#include "hwaccess/option_registers.h"

namespace tunora {
namespace {

constexpr std::uint32_t kClockSourceMask = 0x3;
constexpr std::uint32_t kClockSourcePll = 0x1;
constexpr std::uint32_t kQx2eSourceMask = 0x0C00;
constexpr std::uint32_t kQx2eSourcePll = 0x0400;

// Only the named bits change; the rest of the register is written back as
// it was just read.
void Modify(ConfigSpace& config, std::uint8_t slot_device, std::uint8_t reg, std::uint32_t clear,
            std::uint32_t set) {
  const std::uint32_t value = config.Read32(kCardBus, slot_device, reg);
  config.Write32(kCardBus, slot_device, reg, (value & ~clear) | set);
}

bool IsQx1OrQx2(ChipFamily family) { return family == kFamilyQx1Agp || family == kFamilyQx2; }

// Family 450 picks its source in register 0x54 as well; on 9x that
// register is written once more after register 0x40, with the same change.
void SelectSource(ConfigSpace& config, std::uint8_t slot_device, ChipFamily family, DriverRoad road,
                  std::uint32_t source, std::uint32_t qx2e_source) {
  if (IsQx1OrQx2(family)) {
    Modify(config, slot_device, kOptionRegister, kClockSourceMask, source);
  } else if (family == kFamilyQx2e) {
    Modify(config, slot_device, kDividerCodeRegister, kQx2eSourceMask, qx2e_source);
    Modify(config, slot_device, kOptionRegister, kClockSourceMask, source);
    if (road == DriverRoad::k9x)
      Modify(config, slot_device, kDividerCodeRegister, kQx2eSourceMask, qx2e_source);
  }
}

}  // namespace

void StopSystemClock(ConfigSpace& config, std::uint8_t slot_device) {
  Modify(config, slot_device, kOptionRegister, 0, kStopClockBit);
}

void RestartSystemClock(ConfigSpace& config, std::uint8_t slot_device, ChipFamily family,
                        DriverRoad road) {
  if (road == DriverRoad::kNt && !IsQx1OrQx2(family) && family != kFamilyQx2e) return;
  Modify(config, slot_device, kOptionRegister, kStopClockBit, 0);
}

void SelectPciClock(ConfigSpace& config, std::uint8_t slot_device, ChipFamily family,
                    DriverRoad road) {
  // 0x0C00 set in register 0x54 is the QX2E's counterpart of source 00.
  SelectSource(config, slot_device, family, road, 0, kQx2eSourceMask);
}

void SelectPllClock(ConfigSpace& config, std::uint8_t slot_device, ChipFamily family,
                    DriverRoad road) {
  SelectSource(config, slot_device, family, road, kClockSourcePll, kQx2eSourcePll);
}

void EnableMemoryDecoding(ConfigSpace& config, std::uint8_t slot_device) {
  Modify(config, slot_device, kCommandRegister, 0, 0x2);
}

std::uint32_t ReadRegisterWindowBase(ConfigSpace& config, std::uint8_t slot_device) {
  return config.Read32(kCardBus, slot_device, kWindowBaseRegister);
}

}  // namespace tunora
