// Which pages the tweak sheet shows for the running platform and card.
#pragma once

#include <cstddef>
#include <vector>

#include "hwaccess/card.h"
#include "hwaccess/platform_kind.h"

namespace tunora {

// In the order the sheet adds them.
enum class SheetPageKind {
  kSplash,
  kAgp,
  kD3d,
  kOpenGl,
  kMonitorProfile,
  kClockTweak,
  kQtv,
  kMiscellaneous,
};

std::vector<SheetPageKind> SheetPagesFor(PlatformKind platform, ChipFamily family, CardCode card,
                                         std::size_t board_count);

}  // namespace tunora
