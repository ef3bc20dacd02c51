#include "sheet/page_rules.h"

namespace tunora {
namespace {

bool IsQx1MultiBoard(ChipFamily family) {
  return family == kFamilyQx1ParlayPci || family == kFamilyQx1SolasePci ||
         family == kFamilyQx1QmsA || family == kFamilyQx1QmsB;
}

bool IsQtvBoard(CardCode card) { return card == 462 || card == 463 || card == 464; }

}  // namespace

std::vector<SheetPageKind> SheetPagesFor(PlatformKind platform, ChipFamily family, CardCode card,
                                         std::size_t board_count) {
  std::vector<SheetPageKind> pages{SheetPageKind::kSplash};
  if (!IsQx1MultiBoard(family) && family != kFamilyQx2eDuoPci) pages.push_back(SheetPageKind::kAgp);
  if (platform != kPlatformNt4) pages.push_back(SheetPageKind::kD3d);
  pages.push_back(SheetPageKind::kOpenGl);
  if (platform != kPlatformNt4) pages.push_back(SheetPageKind::kMonitorProfile);
  // The clock can be set only on a lone QX1 AGP or QX2 board.
  const bool clock_family = !IsQx1MultiBoard(family) && family != kFamilyQx2e &&
                            family != kFamilyQx2eDuoPci && family != kFamilyQx3;
  if (clock_family && board_count < 2) pages.push_back(SheetPageKind::kClockTweak);
  if (IsQtvBoard(card) && family == kFamilyQx2e && platform != kPlatformNt4) {
    pages.push_back(SheetPageKind::kQtv);
  }
  pages.push_back(SheetPageKind::kMiscellaneous);
  return pages;
}

}  // namespace tunora
