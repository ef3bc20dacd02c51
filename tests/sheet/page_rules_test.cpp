// Which pages the sheet shows, over platform, family, card and board count.
#include "sheet/page_rules.h"

#include <gtest/gtest.h>

namespace tunora {
namespace {

using K = SheetPageKind;

struct RuleCase {
  const char* what;
  PlatformKind platform;
  ChipFamily family;
  CardCode card;
  std::size_t boards;
  std::vector<K> pages;
};

const RuleCase kCases[] = {
    {"2000, QX2",
     kPlatformWin2kXp,
     400,
     405,
     1,
     {K::kSplash, K::kAgp, K::kD3d, K::kOpenGl, K::kMonitorProfile, K::kClockTweak,
      K::kMiscellaneous}},
    {"NT 4, QX2",
     kPlatformNt4,
     400,
     405,
     1,
     {K::kSplash, K::kAgp, K::kOpenGl, K::kClockTweak, K::kMiscellaneous}},
    {"2000, QX2E QTV board",
     kPlatformWin2kXp,
     450,
     463,
     1,
     {K::kSplash, K::kAgp, K::kD3d, K::kOpenGl, K::kMonitorProfile, K::kQtv, K::kMiscellaneous}},
    {"NT 4, QX2E QTV board",
     kPlatformNt4,
     450,
     463,
     1,
     {K::kSplash, K::kAgp, K::kOpenGl, K::kMiscellaneous}},
    {"98, QTV card code with a QX2 family",
     kPlatform9x,
     400,
     462,
     1,
     {K::kSplash, K::kAgp, K::kD3d, K::kOpenGl, K::kMonitorProfile, K::kClockTweak,
      K::kMiscellaneous}},
    {"two identical boards",
     kPlatformWin2kXp,
     400,
     405,
     2,
     {K::kSplash, K::kAgp, K::kD3d, K::kOpenGl, K::kMonitorProfile, K::kMiscellaneous}},
    {"QX1 AGP on 98",
     kPlatform9x,
     200,
     201,
     1,
     {K::kSplash, K::kAgp, K::kD3d, K::kOpenGl, K::kMonitorProfile, K::kClockTweak,
      K::kMiscellaneous}},
    {"QX1 QMS multi-display",
     kPlatformWin2kXp,
     203,
     230,
     1,
     {K::kSplash, K::kD3d, K::kOpenGl, K::kMonitorProfile, K::kMiscellaneous}},
    {"QX1 PCI",
     kPlatform9x,
     201,
     210,
     1,
     {K::kSplash, K::kD3d, K::kOpenGl, K::kMonitorProfile, K::kMiscellaneous}},
    {"QX2E dual-display PCI",
     kPlatformWin2kXp,
     451,
     470,
     1,
     {K::kSplash, K::kD3d, K::kOpenGl, K::kMonitorProfile, K::kMiscellaneous}},
    {"QX3",
     kPlatformWin2kXp,
     550,
     550,
     1,
     {K::kSplash, K::kAgp, K::kD3d, K::kOpenGl, K::kMonitorProfile, K::kMiscellaneous}},
    {"Farview II keeps the clock",
     kPlatformWin2kXp,
     452,
     460,
     0,
     {K::kSplash, K::kAgp, K::kD3d, K::kOpenGl, K::kMonitorProfile, K::kClockTweak,
      K::kMiscellaneous}},
    {"unidentified card",
     kPlatformNt4,
     kFamilyUnknown,
     405,
     1,
     {K::kSplash, K::kAgp, K::kOpenGl, K::kClockTweak, K::kMiscellaneous}},
};

TEST(SheetPageRules, PagesForPlatformAndCard) {
  for (const RuleCase& c : kCases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(SheetPagesFor(c.platform, c.family, c.card, c.boards), c.pages);
  }
}

}  // namespace
}  // namespace tunora
