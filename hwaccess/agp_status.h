// The AGP facts of the chipset and the card, read once at start-up from
// configuration space.
#pragma once

#include <cstdint>

#include "hwaccess/card.h"
#include "hwaccess/config_space.h"

namespace tunora {

struct AgpStatus {
  std::int32_t version = 0;             // -1 unknown revision, 0, 1, 2
  std::uint8_t chipset_rate = 0;        // 1, 2, 4
  std::uint32_t side_band = 0;          // 0x200 on, 0 off
  std::int32_t card_rate = 0;           // 0 none, 1, 2, 4
  std::int32_t override_flag = 0xFFFF;  // 1: the chipset forces 4x down to 2x
};

// Host bridges whose AGP registers sit at 0xB0/0xB8 instead of 0xA0/0xA8.
inline constexpr std::uint16_t kHostBridgeVendorB0 = 0x10B9;

// The two chipsets that can force AGP 4x transfers down to 2x keep that
// switch in bit 0 of this host-bridge register (their AGP registers are at
// 0xA0/0xA8, so 0xB0 is free for it).
inline constexpr std::uint8_t kAgpOverrideRegister = 0xB0;

// Reads the override flag when the host bridge is one of those chipsets;
// any other host bridge leaves it at 0xFFFF.
void ReadAgpOverride(ConfigSpace& config, AgpStatus& status);

// Version, rates and side-band from the host bridge and the card's slot.
void ReadAgpStatus(ConfigSpace& config, const DetectedCard& card, AgpStatus& status);

// The texts the AGP page shows ("NA" where a value has no text).
struct AgpStatusTexts {
  const char* version;
  const char* max_chipset_speed;
  const char* chipset_speed;
  const char* card_speed;
  const char* side_band;
};
AgpStatusTexts DescribeAgpStatus(const AgpStatus& status);

}  // namespace tunora
