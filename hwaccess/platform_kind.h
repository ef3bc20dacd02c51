// The road the program takes, decided once at start-up from the Windows
// version. The numbers are the ones the settings' tables were written
// against; code names the kinds instead of comparing them.
#pragma once

#include <cstdint>

namespace tunora {

enum PlatformKind : std::uint8_t {
  kPlatformUnclassified = 1,
  kPlatform9x = 2,       // Windows 98 / ME
  kPlatformNt4 = 3,      // Windows NT (not 5.0 / 5.1)
  kPlatformWin2kXp = 4,  // Windows 2000 / XP
};

// NT 4, 2000 and XP reach the hardware through the NT drivers.
constexpr bool IsNtRoad(PlatformKind kind) {
  return kind == kPlatformNt4 || kind == kPlatformWin2kXp;
}

// The drivers the hardware is reached through: hwgate2 and hwgate4 on NT,
// Hwgt9x and the configuration ports on 98 and ME.
enum class DriverRoad : std::uint8_t { kNt, k9x };
constexpr DriverRoad RoadOf(PlatformKind kind) {
  return IsNtRoad(kind) ? DriverRoad::kNt : DriverRoad::k9x;
}

}  // namespace tunora
