#include "hwaccess/agp_status.h"

namespace tunora {
namespace {

constexpr std::uint32_t kCapabilityMajorShift = 20;  // AGP major revision
constexpr std::uint32_t kCommandSideBand = 0x200;

const char* RateText(int rate) {
  switch (rate) {
    case 1:
      return "1x";
    case 2:
      return "2x";
    case 4:
      return "4x";
    default:
      return "NA";
  }
}

}  // namespace

void ReadAgpOverride(ConfigSpace& config, AgpStatus& status) {
  const std::uint32_t id = config.Read32(0, 0, 0x00);
  const std::uint32_t vendor = id & 0xFFFF;
  const std::uint32_t device = id >> 16;
  if (vendor == 0x8086 && (device == 0x1130 || device == 0x2500)) {
    status.override_flag = static_cast<std::int32_t>(config.Read32(0, 0, kAgpOverrideRegister) & 1);
  }
}

void ReadAgpStatus(ConfigSpace& config, const DetectedCard& card, AgpStatus& status) {
  const bool alt = card.host_bridge_vendor == kHostBridgeVendorB0;
  const std::uint8_t capability = alt ? 0xB0 : 0xA0;
  const std::uint8_t command = alt ? 0xB8 : 0xA8;

  const std::uint32_t major = config.Read32(0, 0, capability) >> kCapabilityMajorShift;
  status.version = major <= 2 ? static_cast<std::int32_t>(major) : -1;

  status.side_band = config.Read32(0, 0, command) & kCommandSideBand;

  const std::uint32_t cmd = config.Read32(0, 0, command);
  status.chipset_rate = 1;
  if ((cmd & 1) && status.version > 0) status.chipset_rate = 1;
  if ((cmd & 2) && status.version > 0) status.chipset_rate = 2;
  if ((cmd & 4) && status.version > 1) status.chipset_rate = 4;

  const std::uint32_t card_cmd = config.Read32(card.bus, card.device, 0xF8);
  if (card_cmd & 1) status.card_rate = 1;
  if (card_cmd & 2) status.card_rate = 2;
  if (card_cmd & 4) status.card_rate = 4;
}

AgpStatusTexts DescribeAgpStatus(const AgpStatus& status) {
  if (status.version != 1 && status.version != 2) {
    return {"NA", "NA", "NA", "NA", "NA"};
  }
  const char* side_band = status.side_band == kCommandSideBand ? "ON"
                          : status.side_band == 0              ? "OFF"
                                                               : "NA";
  return {status.version == 1 ? "Version 1" : "Version 2", status.version == 1 ? "2x" : "4x",
          RateText(status.chipset_rate), RateText(status.card_rate), side_band};
}

}  // namespace tunora
