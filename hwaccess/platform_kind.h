// The road the program takes, decided once at start-up from the Windows
// version. Code tests for equality with k9x and for "greater than k9x"
// (the NT road).
#pragma once

#include <cstdint>

namespace tunora {

using PlatformKind = std::uint8_t;
inline constexpr PlatformKind kPlatformUnclassified = 1;
inline constexpr PlatformKind kPlatform9x = 2;       // Windows 98 / ME
inline constexpr PlatformKind kPlatformNt4 = 3;      // Windows NT (not 5.0 / 5.1)
inline constexpr PlatformKind kPlatformWin2kXp = 4;  // Windows 2000 / XP

inline bool IsNtRoad(PlatformKind kind) { return kind > kPlatform9x; }

}  // namespace tunora
