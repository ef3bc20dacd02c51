// Apply writes each setting as one group of registry changes: the
// simulated hive is saved once per writer, not once per value, and what is
// on disk afterwards is exactly what is in memory.
#include <gtest/gtest.h>

#include "settings/setting_state.h"
#include "sim/os/hive_file.h"
#include "sim/os/sim_registry.h"
#include "tests/support/fake_ui.h"
#include "tests/support/sim_harness.h"

namespace tunora {
namespace {

TEST(ApplySaveGroups, TheHiveIsSavedOncePerWriter) {
  testing::TempDir temp;
  const auto file = temp.path() / "registry.reg";
  const sim::Profile profile = testing::Builtin("win2000-qx2max");
  sim::SimRegistry registry(sim::ParseRegedit4(profile.registry), true, file);
  FakeUi ui;
  const SettingsContext context{registry, ui,     kPlatformWin2kXp, kFamilyQx2,
                                0x0525,   0x217D, {5, 82}};

  SettingState state;
  state.current.agp_mode = 2;
  state.current.flip_on_vblank = 1;
  state.current.bus_mastering = 0;
  state.current.bitmap_caching = 0;
  state.current.ogl = {kOglSpeed, 1, kVsyncApplicationDecides, 0};
  state.current.subimage_cache_kb = 1024;
  state.current.multitexturing = 1;
  state.changed = {1, 1, 1, 1};

  const std::uint64_t before = registry.save_count();
  const ApplyResults results = WriteAllSettings(context, state);
  EXPECT_TRUE(results.agp_mode);
  EXPECT_TRUE(results.ogl_preset);
  // AGP, vertical sync, bus mastering, bitmap caching, OpenGL preset,
  // sub-image cache, multitexturing.
  EXPECT_EQ(registry.save_count() - before, 7u);
  EXPECT_TRUE(sim::LoadHiveFile(file) == registry.hive());
  EXPECT_TRUE(ui.messages.empty());
}

TEST(ApplySaveGroups, GroupsNestAndSaveOnlyAtTheOutermostEnd) {
  testing::TempDir temp;
  const auto file = temp.path() / "registry.reg";
  sim::SimRegistry registry(sim::ParseRegedit4("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\n"),
                            true, file);
  RegKey key = 0;
  ASSERT_EQ(registry.OpenKey(kHkeyLocalMachine, "SOFTWARE", kKeyAllAccess, &key), kErrorSuccess);
  const std::uint8_t one[4] = {1, 0, 0, 0};
  const std::uint64_t before = registry.save_count();
  {
    RegistryChanges outer(registry);
    registry.SetValue(key, "A", kRegDword, one, 4);
    {
      RegistryChanges inner(registry);
      registry.SetValue(key, "B", kRegDword, one, 4);
    }
    EXPECT_EQ(registry.save_count(), before) << "inner group ended: still nothing saved";
  }
  EXPECT_EQ(registry.save_count(), before + 1);
  EXPECT_TRUE(sim::LoadHiveFile(file) == registry.hive());
  // A group without changes saves nothing.
  { RegistryChanges empty(registry); }
  EXPECT_EQ(registry.save_count(), before + 1);
  registry.CloseKey(key);
}

}  // namespace
}  // namespace tunora
