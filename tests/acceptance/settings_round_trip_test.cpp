// What Apply writes survives a reboot: the next run identifies the same
// driver version, and every setting reads back as it was written. Two
// rounds, so each setting is both changed and changed back (multitexturing
// turned on, then off again).
#include <gtest/gtest.h>

#include "app/start_up.h"
#include "hwaccess/board_tables.h"
#include "settings/setting_state.h"
#include "sim/machine/sim_process.h"
#include "sim/os/regedit4.h"
#include "tests/support/fake_ui.h"
#include "tests/support/sim_harness.h"

namespace tunora::testing {
namespace {

// One run of tunora on the machine, up to where the sheet would open.
class TunoraRun {
 public:
  explicit TunoraRun(sim::Machine& machine)
      : machine_(machine), process_(machine, ui), app_(process_.platform()) {
    IdentifyMachine(app_);
    app_.state.chip_family = NameCard(app_.state.card.card_code).family;
  }
  SettingsContext Settings() { return app_.state.Settings(machine_.registry(), ui); }
  const RunState& state() const { return app_.state; }
  // Everything the sheet would show, multitexturing included.
  SettingValues ReadBack() {
    SettingValues values = ReadAllSettings(Settings()).current;
    values.multitexturing = ReadMultitexturing(Settings());
    return values;
  }

  FakeUi ui;

 private:
  sim::Machine& machine_;
  sim::SimProcess process_;
  App app_;
};

struct RoundTripCase {
  const char* profile;
  bool d3d;       // the road has the Direct3D vertical-sync setting
  bool ogl_keys;  // the OpenGL preset and the cache size reach this driver
};

void PrintTo(const RoundTripCase& c, std::ostream* out) { *out << c.profile; }

class SettingsRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(SettingsRoundTrip, EverySettingReadsBackAfterARebootWithTheSameDriverVersion) {
  const RoundTripCase& c = GetParam();
  TestMachine test_machine(c.profile);
  auto machine = test_machine.Open();
  const std::vector<SettingValues> rounds = {
      {kAgp2x, 1, 0, 0, {kOglSpeed, 1, kVsyncApplicationDecides, 0}, 1024, 1},
      {kAgp1x, 0, 1, 1, {kOglCustom, 1, kVsyncAlwaysOn, kUnchanged}, 2048, 0},
  };
  for (const SettingValues& written : rounds) {
    SCOPED_TRACE(::testing::Message() << "preset " << written.ogl.preset);
    DriverVersion version;
    {
      TunoraRun run(*machine);
      version = run.state().driver_version;
      SettingState state;
      state.current = written;
      state.changed = {1, 1, 1, 1};
      const ApplyResults results = WriteAllSettings(run.Settings(), state);
      // The QX3 driver keeps no preset, which does not stop the reboot.
      EXPECT_FALSE(results.AnyRebootBlockingFailure(run.state().platform_kind));
    }
    machine->Reboot();
    TunoraRun next(*machine);
    EXPECT_EQ(next.state().driver_version.major, version.major);
    EXPECT_EQ(next.state().driver_version.minor, version.minor);
    SettingValues expected = written;
    if (!c.d3d) expected.flip_on_vblank = kUnchanged;
    if (!c.ogl_keys) {
      expected.ogl = OglPresetChoice{};
      expected.subimage_cache_kb = kSubImageCacheDefaultKb;
    }
    EXPECT_EQ(next.ReadBack(), expected);
    EXPECT_TRUE(next.ui.messages.empty()) << next.ui.messages.front().text;
  }
}

// The OpenGL preset's keys (and so the cache size's on 2000/XP) cover the
// QX1, QX2 and NT 4 drivers only: the QX3 driver has neither.
INSTANTIATE_TEST_SUITE_P(Profiles, SettingsRoundTrip,
                         ::testing::Values(RoundTripCase{"win2000-qx2max", true, true},
                                           RoundTripCase{"win2000-qx2duo-only", true, true},
                                           RoundTripCase{"winxp-qx3", true, false},
                                           RoundTripCase{"nt4-qx2", false, true},
                                           RoundTripCase{"nt4-qx2-boardrecords", false, true},
                                           RoundTripCase{"win98-qx1", true, true},
                                           RoundTripCase{"winme-qx2e-qtv", true, true}),
                         [](const ::testing::TestParamInfo<RoundTripCase>& param_info) {
                           std::string name = param_info.param.profile;
                           for (char& ch : name) ch = ch == '-' ? '_' : ch;
                           return name;
                         });

// Without an installed display driver every driver writer fails, and none
// leaves a key behind that a later run would take for a driver.
TEST(SettingsWithoutADriver, EveryWriterFailsAndNothingIsCreated) {
  TestMachine test_machine("win2000-nodriver");
  auto machine = test_machine.Open();
  TunoraRun run(*machine);
  const auto services = [&] {
    return sim::ExportRegedit4(machine->registry().hive(), "SYSTEM\\CurrentControlSet\\Services");
  };
  const std::string before = services();
  SettingState state;
  state.current = {kAgp2x, 1, 0, 0, {kOglSpeed, 1, kVsyncApplicationDecides, 0}, 1024, 1};
  state.changed = {1, 1, 1, 1};
  const ApplyResults results = WriteAllSettings(run.Settings(), state);
  for (bool written : {results.agp_mode, results.flip_on_vblank, results.bus_mastering,
                       results.bitmap_caching, results.ogl_preset, results.subimage_cache}) {
    EXPECT_FALSE(written);
  }
  EXPECT_EQ(services(), before);
}

}  // namespace
}  // namespace tunora::testing
