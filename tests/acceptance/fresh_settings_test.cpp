// Every built-in machine carries the registry a freshly installed display
// driver leaves, so reading all settings there gives the driver's own
// defaults: AGP Default, bus mastering and bitmap caching on, the OpenGL
// driver-defaults preset, a 512 KB sub-image cache. Without a driver, the
// same defaults, after start-up's message.
#include <gtest/gtest.h>

#include "settings/setting_state.h"
#include "tests/support/identified_app.h"

namespace tunora::testing {
namespace {

struct FreshCase {
  const char* profile;
  PlatformKind road;
  ChipFamily family;
  int driver_major, driver_minor;
  std::int32_t flip_on_vblank;    // kUnchanged where the road has no such setting
  const char* message = nullptr;  // what start-up says about the driver, if anything
};

void PrintTo(const FreshCase& c, std::ostream* out) { *out << c.profile; }

class FreshDriverSettings : public ::testing::TestWithParam<FreshCase> {};

TEST_P(FreshDriverSettings, ReadAsTheDriversDefaults) {
  const FreshCase& c = GetParam();
  IdentifiedApp run(c.profile);
  const App& app = run.app;

  EXPECT_EQ(app.state.platform_kind, c.road);
  EXPECT_EQ(app.state.chip_family, c.family);
  EXPECT_EQ(app.state.driver_version.major, c.driver_major);
  EXPECT_EQ(app.state.driver_version.minor, c.driver_minor);

  const SettingState state = ReadAllSettings(run.Settings());
  const SettingValues& v = state.current;
  EXPECT_EQ(v.agp_mode, 0) << "Default";
  EXPECT_EQ(v.flip_on_vblank, c.flip_on_vblank);
  EXPECT_EQ(v.bus_mastering, 1);
  EXPECT_EQ(v.bitmap_caching, 1);
  EXPECT_EQ(v.ogl.preset, 1) << "driver defaults";
  EXPECT_EQ(v.subimage_cache_kb, 512);
  EXPECT_EQ(state.at_opening, state.current);
  if (c.message == nullptr) {
    EXPECT_TRUE(run.ui.messages.empty()) << run.ui.messages.front().text;
  } else {
    ASSERT_EQ(run.ui.messages.size(), 1u);
    EXPECT_EQ(run.ui.messages.front().text, c.message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, FreshDriverSettings,
    ::testing::Values(FreshCase{"win2000-qx2max", kPlatformWin2kXp, 400, 5, 82, 0},
                      FreshCase{"win98-qx1", kPlatform9x, 200, 0, 0, 1},
                      FreshCase{"winme-qx2e-qtv", kPlatform9x, 450, 0, 0, 1},
                      FreshCase{"nt4-qx2", kPlatformNt4, 400, 4, 51, kUnchanged},
                      FreshCase{"winxp-qx3", kPlatformWin2kXp, 550, 5, 91, 0},
                      FreshCase{"win2000-qx2duo-only", kPlatformWin2kXp, 400, 5, 82, 0},
                      // Per-board AGP copies are not what NT 4 reads.
                      FreshCase{"nt4-qx2-boardrecords", kPlatformNt4, 400, 4, 62, kUnchanged},
                      // No driver: version 0.0, so the old names and their defaults.
                      FreshCase{"win2000-nodriver", kPlatformWin2kXp, 400, 0, 0, 1,
                                "Error2: Unable to find driver version"}),
    [](const ::testing::TestParamInfo<FreshCase>& param_info) {
      std::string name = param_info.param.profile;
      for (char& ch : name) ch = ch == '-' ? '_' : ch;
      return name;
    });

}  // namespace
}  // namespace tunora::testing
