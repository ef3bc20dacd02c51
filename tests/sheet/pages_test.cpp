// The AGP, D3D, OpenGL and Miscellaneous pages on their own: each refresh
// over its states and each handler's effect on state and controls, with the
// user's clicks acting on the controls first as the dialog manager does.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "app/start_up.h"
#include "automation/window_model.h"
#include "hwaccess/board_tables.h"
#include "resources/dialogs.h"
#include "sheet/agp_page.h"
#include "sheet/d3d_page.h"
#include "sheet/misc_page.h"
#include "sheet/opengl_page.h"
#include "sheet/qtv_page.h"
#include "sim/machine/sim_process.h"
#include "tests/support/identified_app.h"

namespace tunora::testing {
namespace {

class Buttons : public ApplyResetButtons {
 public:
  void EnableApplyAndReset() override { enabled = true; }
  void DisableApplyAndReset() override { enabled = false; }
  bool enabled = false;
};

// A run on the default machine, identified and with its settings read.
struct PageBench : IdentifiedApp {
  PageBench() : IdentifiedApp("win2000-qx2max") {
    ReadSettingsForSheet(Settings(), &app.state.settings);
  }

  // What the user's click does to the control, then the page's handler.
  static void Click(sim::WindowModel& window, DialogHandler& page, int id) {
    window.UserClick(id);
    page.OnCommand(window, id, kBnClicked);
  }

  Buttons buttons;
};

std::set<int> Checked(const sim::WindowModel& window) {
  std::set<int> ids;
  for (const sim::ControlState& c : window.controls()) {
    if (c.checked) ids.insert(c.id);
  }
  return ids;
}

std::set<int> Disabled(const sim::WindowModel& window) {
  std::set<int> ids;
  for (const sim::ControlState& c : window.controls()) {
    if (!c.enabled) ids.insert(c.id);
  }
  return ids;
}

struct AgpCase {
  const char* what;
  std::int32_t version;
  std::uint8_t chipset_rate;
  ChipFamily family;
  std::int32_t mode, marker;
  std::set<int> checked;
  bool four_x_visible, four_x_enabled;
  std::int32_t mode_after;
  const char* version_text;
};

TEST(AgpPage, RefreshFollowsStatusFamilyAndChoice) {
  constexpr std::int32_t U = kUnchanged;
  const AgpCase cases[] = {
      {"AGP 2 chipset at 4x", 2, 4, 400, kAgp4x, U, {kIdcAgp4x}, true, true, kAgp4x, "Version 2"},
      {"chipset at 2x disables 4x",
       2,
       2,
       400,
       kAgp1x,
       U,
       {kIdcAgp1x},
       true,
       false,
       kAgp1x,
       "Version 2"},
      {"AGP 1 chipset hides 4x",
       1,
       1,
       400,
       kAgp2x,
       U,
       {kIdcAgp2x},
       false,
       true,
       kAgp2x,
       "Version 1"},
      {"QX1 runs 4x as 2x", 2, 4, 200, kAgp4x, U, {kIdcAgp2x}, false, true, kAgp2x, "Version 2"},
      {"no AGP: QX1 rule off", 0, 0, 200, kAgp4x, U, {kIdcAgp4x}, false, true, kAgp4x, "NA"},
      {"unknown revision",
       -1,
       4,
       400,
       kAgpDefault,
       U,
       {kIdcAgpDefault},
       true,
       true,
       kAgpDefault,
       "NA"},
      {"nothing known", 2, 4, 400, U, U, {}, true, true, U, "Version 2"},
      {"marker set on no value", 2, 4, 400, U, 1, {}, true, true, U, "Version 2"},
  };
  for (const AgpCase& c : cases) {
    SCOPED_TRACE(c.what);
    PageBench bench;
    bench.app.state.agp = {c.version, c.chipset_rate, 0x200, 2, 0xFFFF};
    bench.app.state.chip_family = c.family;
    bench.app.state.settings.current.agp_mode = c.mode;
    bench.app.state.settings.changed.agp_mode = c.marker;
    AgpPage page(bench.app, bench.buttons);
    sim::WindowModel window(AgpPageDialog());
    page.OnNotify(window, kPsnSetActive);
    EXPECT_EQ(Checked(window), c.checked);
    EXPECT_EQ(window.Find(kIdcAgp4x)->visible, c.four_x_visible);
    EXPECT_EQ(window.Find(kIdcAgp4x)->enabled, c.four_x_enabled);
    EXPECT_EQ(bench.app.state.settings.current.agp_mode, c.mode_after);
    EXPECT_EQ(window.GetText(kIdcAgpVersion), c.version_text);
    EXPECT_FALSE(bench.buttons.enabled);
  }
}

TEST(AgpPage, HandlersStoreTheModeAndOverrideMessageShowsOncePerRun) {
  PageBench bench;
  bench.app.state.agp.override_flag = 1;
  AgpPage page(bench.app, bench.buttons);
  for (int opening = 0; opening < 2; ++opening) {
    sim::WindowModel window(AgpPageDialog());
    page.OnNotify(window, kPsnSetActive);
    PageBench::Click(window, page, kIdcAgp1x);
    EXPECT_EQ(Checked(window), std::set<int>{kIdcAgp1x});
  }
  EXPECT_EQ(bench.app.state.settings.current.agp_mode, kAgp1x);
  EXPECT_EQ(bench.app.state.settings.changed.agp_mode, 1);
  EXPECT_TRUE(bench.buttons.enabled);
  ASSERT_EQ(bench.ui.messages.size(), 1u);
  EXPECT_EQ(bench.ui.messages[0].text, "AGP 4x override bit enabled.\nAGP running at 2x Mode");
}

TEST(D3dPage, RefreshAndHandlers) {
  PageBench bench;
  D3dPage page(bench.app, bench.buttons);
  const std::pair<std::int32_t, std::set<int>> refreshes[] = {
      {0, {kIdcD3dVsyncOff}}, {1, {kIdcD3dVsyncOn}}, {kUnchanged, {}}};
  for (const auto& [value, checked] : refreshes) {
    sim::WindowModel window(D3dPageDialog());
    bench.app.state.settings.current.flip_on_vblank = value;
    page.OnNotify(window, kPsnSetActive);
    EXPECT_EQ(Checked(window), checked) << value;
  }
  sim::WindowModel window(D3dPageDialog());
  PageBench::Click(window, page, kIdcD3dVsyncOn);
  EXPECT_EQ(Checked(window), std::set<int>{kIdcD3dVsyncOn});
  EXPECT_EQ(bench.app.state.settings.current.flip_on_vblank, 1);
  EXPECT_EQ(bench.app.state.settings.changed.flip_on_vblank, 1);
  EXPECT_TRUE(bench.buttons.enabled);
}

struct OglCase {
  const char* what;
  OglPresetChoice before;
  std::vector<int> clicks;  // after the page showed
  OglPresetChoice after;
  std::set<int> checked;   // among the page's buttons
  std::set<int> disabled;  // likewise
  const char* status;
};

TEST(OpenGlPage, RefreshAndHandlersKeepStateAndControlsInStep) {
  constexpr std::int32_t U = kUnchanged;
  const std::set<int> all_sync = {1001, 1002, 1023, 1024, 1025, 1026, 1027};
  const std::set<int> modes = {1023, 1024, 1025, 1026, 1027};
  const OglCase cases[] = {
      {"driver defaults shows",
       {1, 0, U, U},
       {},
       {1, 0, U, U},
       {1037},
       all_sync,
       "Default Driver Settings"},
      {"custom, block transfers",
       {4, 0, U, U},
       {},
       {4, 0, U, U},
       {1040, 1001},
       modes,
       "Custom VSync Settings"},
      {"custom, app decides, on by default",
       {4, 1, 3, 1},
       {},
       {4, 1, 3, 1},
       {1040, 1002, 1025, 1027},
       {},
       "Custom VSync Settings"},
      {"custom, always on",
       {4, 1, 2, U},
       {},
       {4, 1, 2, U},
       {1040, 1002, 1024},
       {1026, 1027},
       "Custom VSync Settings"},
      {"speed after custom",
       {4, 1, 1, U},
       {1038},
       {2, 1, 3, 0},
       {1038},
       all_sync,
       "GL Optimized for Speed"},
      {"accuracy",
       {1, 0, U, U},
       {1039},
       {3, 1, 3, 0},
       {1039},
       all_sync,
       "GL Optimized for Accuracy"},
      {"customized from defaults",
       {1, 0, U, U},
       {1040},
       {4, 0, U, U},
       {1040, 1001},
       modes,
       "Custom VSync Settings"},
      {"page flipping picks always off",
       {4, 0, U, U},
       {1002},
       {4, 1, 1, U},
       {1040, 1002, 1023},
       {1026, 1027},
       "Custom VSync Settings"},
      {"application decides starts off by default",
       {4, 1, 1, U},
       {1025},
       {4, 1, 3, 0},
       {1040, 1002, 1025, 1026},
       {},
       "Custom VSync Settings"},
      {"on by default",
       {4, 1, 3, 0},
       {1027},
       {4, 1, 3, 1},
       {1040, 1002, 1025, 1027},
       {},
       "Custom VSync Settings"},
      {"always on drops the default",
       {4, 1, 3, 1},
       {1024},
       {4, 1, 2, U},
       {1040, 1002, 1024},
       {1026, 1027},
       "Custom VSync Settings"},
      {"block transfers clears the mode",
       {4, 1, 3, 1},
       {1001},
       {4, 0, U, U},
       {1040, 1001},
       modes,
       "Custom VSync Settings"},
      {"driver defaults keeps the choices",
       {4, 1, 2, U},
       {1037},
       {1, 1, 2, U},
       {1037, 1002, 1024},
       all_sync,
       "Default Driver Settings"},
  };
  for (const OglCase& c : cases) {
    SCOPED_TRACE(c.what);
    PageBench bench;
    bench.app.state.settings.current.ogl = c.before;
    OpenGlPage page(bench.app, bench.buttons);
    sim::WindowModel window(OpenGlPageDialog());
    page.OnNotify(window, kPsnSetActive);
    for (const int id : c.clicks) PageBench::Click(window, page, id);
    EXPECT_EQ(bench.app.state.settings.current.ogl, c.after);
    std::set<int> checked = Checked(window), disabled = Disabled(window);
    checked.erase(kIdcOglMultitexturing);
    EXPECT_EQ(checked, c.checked);
    EXPECT_EQ(disabled, c.disabled);
    EXPECT_EQ(window.GetText(kIdcOglStatus), c.status);
    EXPECT_EQ(bench.buttons.enabled, !c.clicks.empty());
  }
}

TEST(OpenGlPage, MultitexturingIsReadOnceThenTheUsersChoiceStands) {
  PageBench bench;
  OpenGlPage page(bench.app, bench.buttons);
  sim::WindowModel window(OpenGlPageDialog());
  page.OnNotify(window, kPsnSetActive);
  EXPECT_FALSE(window.IsChecked(kIdcOglMultitexturing));
  EXPECT_EQ(bench.app.state.settings.current.multitexturing, 0);
  PageBench::Click(window, page, kIdcOglMultitexturing);
  page.OnNotify(window, kPsnSetActive);  // back to the page
  EXPECT_TRUE(window.IsChecked(kIdcOglMultitexturing));
  EXPECT_EQ(bench.app.state.settings.current.multitexturing, 1);
  EXPECT_EQ(bench.app.state.settings.at_opening.multitexturing, 0);
}

TEST(MiscPage, SizeFieldRadiosAndTheApplyButtons) {
  PageBench bench;
  MiscPage page(bench.app, bench.buttons);
  sim::WindowModel window(MiscPageDialog());
  bench.buttons.enabled = true;
  page.OnNotify(window, kPsnSetActive);
  // The first filling: 512 from a driver without a value, no change.
  EXPECT_EQ(window.GetText(kIdcSubImageCache), "512");
  EXPECT_EQ(window.Find(kIdcSubImageCache)->limit, 4);
  EXPECT_FALSE(bench.buttons.enabled);
  EXPECT_EQ(Checked(window), (std::set<int>{kIdcBusMasteringOn, kIdcBitmapCachingOn}));

  window.UserType(kIdcSubImageCache, "20x48");  // digits only, four at most
  page.OnCommand(window, kIdcSubImageCache, kEnChange);
  EXPECT_EQ(bench.app.state.settings.current.subimage_cache_kb, 2048);
  EXPECT_TRUE(bench.buttons.enabled);

  PageBench::Click(window, page, kIdcBitmapCachingOff);
  EXPECT_EQ(Checked(window), (std::set<int>{kIdcBusMasteringOn, kIdcBitmapCachingOff}));
  EXPECT_EQ(bench.app.state.settings.changed.bitmap_caching, 1);
  // Coming back keeps what is pending appliable.
  page.OnNotify(window, kPsnSetActive);
  EXPECT_TRUE(bench.buttons.enabled);

  for (const auto& [text, size] : std::vector<std::pair<std::string, int>>{
           {"", 0}, {"0", 0}, {"12ab", 12}, {"abc", 0}, {"99999999999999", 999999999}}) {
    EXPECT_EQ(ParseCacheSize(text), size) << text;
  }
}

// The Miscellaneous page counts only what the user changed: a QX1's
// stored 4x that the AGP page shows as 2x does not enable Apply, a size
// typed on its own keeps it enabled when the page shows again.
TEST(MiscPage, OnlyTheUsersChangesKeepApplyEnabled) {
  struct Case {
    const char* what;
    std::function<void(PageBench&, MiscPage&, sim::WindowModel&)> act;
    bool enabled;
  };
  const Case cases[] = {
      {"QX1 4x shown as 2x on the AGP page",
       [](PageBench& bench, MiscPage&, sim::WindowModel&) {
         bench.app.state.chip_family = kFamilyQx1Agp;
         bench.app.state.agp.version = 1;
         bench.app.state.settings.current.agp_mode = kAgp4x;
         bench.app.state.settings.at_opening.agp_mode = kAgp4x;
         AgpPage agp(bench.app, bench.buttons);
         sim::WindowModel agp_window(AgpPageDialog());
         agp.OnNotify(agp_window, kPsnSetActive);
       },
       false},
      {"a size typed without any other change",
       [](PageBench&, MiscPage& page, sim::WindowModel& window) {
         window.UserType(kIdcSubImageCache, "1024");
         page.OnCommand(window, kIdcSubImageCache, kEnChange);
       },
       true},
      {"the size typed back to what it was",
       [](PageBench&, MiscPage& page, sim::WindowModel& window) {
         window.UserType(kIdcSubImageCache, "1024");
         page.OnCommand(window, kIdcSubImageCache, kEnChange);
         window.UserType(kIdcSubImageCache, "512");
         page.OnCommand(window, kIdcSubImageCache, kEnChange);
       },
       false},
      // What the other pages leave for Apply to write.
      {"a TV channel edited",
       [](PageBench& b, MiscPage&, sim::WindowModel&) {
         b.app.state.flags.tv_channels_changed = 1;
       },
       true},
      {"the capture switch turned",
       [](PageBench& b, MiscPage&, sim::WindowModel&) { b.app.state.flags.tv_capture_pending = 1; },
       true},
      {"both resolution values chosen",
       [](PageBench& b, MiscPage&, sim::WindowModel&) {
         b.app.state.flags.monitor_horizontal_chosen = true;
         b.app.state.flags.monitor_vertical_chosen = true;
       },
       true},
      {"only one resolution value chosen",
       [](PageBench& b, MiscPage&, sim::WindowModel&) {
         b.app.state.flags.monitor_horizontal_chosen = true;
       },
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PageBench bench;
    MiscPage page(bench.app, bench.buttons);
    sim::WindowModel window(MiscPageDialog());
    page.OnNotify(window, kPsnSetActive);
    c.act(bench, page, window);
    page.OnNotify(window, kPsnSetActive);  // the page shown again
    EXPECT_EQ(bench.buttons.enabled, c.enabled);
  }
}

// On a QX1 with an AGP version 1 chipset a stored 4x is shown, and written,
// as 2x.
TEST(AgpPage, Qx1StoredFourXIsShownAndWrittenAsTwoX) {
  IdentifiedApp run("win98-qx1");
  ReadSettingsForSheet(run.Settings(), &run.app.state.settings);
  run.app.state.agp.version = 1;
  SettingState& settings = run.app.state.settings;
  settings.current.agp_mode = settings.at_opening.agp_mode = kAgp4x;
  settings.changed.agp_mode = 1;
  Buttons buttons;
  AgpPage page(run.app, buttons);
  sim::WindowModel window(AgpPageDialog());
  page.OnNotify(window, kPsnSetActive);
  EXPECT_EQ(Checked(window), std::set<int>{kIdcAgp2x});
  EXPECT_FALSE(window.Find(kIdcAgp4x)->visible);
  WriteAllSettings(run.Settings(), settings);
  EXPECT_EQ(ReadAgpMode(run.Settings()), kAgp2x);
}

// The system as the machine has it, but the shell starts nothing.
class NoShellSystem : public System {
 public:
  explicit NoShellSystem(System& real) : real_(real) {}
  OsVersion GetVersion() override { return real_.GetVersion(); }
  int GetSystemMetrics(int index) override { return real_.GetSystemMetrics(index); }
  void Sleep(std::uint32_t ms) override { real_.Sleep(ms); }
  std::uint32_t GetTickCount() override { return real_.GetTickCount(); }
  bool Beep(std::uint32_t f, std::uint32_t ms) override { return real_.Beep(f, ms); }
  bool PlaySoundFile(std::string_view path) override { return real_.PlaySoundFile(path); }
  bool ShellOpen(std::string_view, std::string_view) override { return false; }
  bool ShellStartHidden(std::string_view, std::string_view) override { return false; }
  bool EnableShutdownPrivilege() override { return real_.EnableShutdownPrivilege(); }
  bool ExitWindows(std::uint32_t flags) override { return real_.ExitWindows(flags); }
  void WriteConsoleLine(std::string_view line) override { real_.WriteConsoleLine(line); }

 private:
  System& real_;
};

// Backup is offered only with a channel table, and says so when regedit
// could not be started instead of announcing a file.
TEST(QtvPage, BackupOnlyWithATableAndNeverClaimsAFileThatWasNotStarted) {
  struct Case {
    const char* what;
    bool remove_table;
    bool shell_starts;
    bool backup_enabled;
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {"table, regedit starts", false, true, true, {std::string(kTvBackupDone)}},
      {"table, regedit does not start", false, false, true, {std::string(kTvBackupNotStarted)}},
      {"no table", true, true, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    IdentifiedApp run("win2000-qx2e-qtv");
    if (c.remove_table) run.machine->registry().hive().RemoveKey("SOFTWARE\\Quillex\\Chromalink");
    Platform& real = run.process.platform();
    NoShellSystem no_shell(real.system);
    Platform platform{real.registry, real.devices, real.ports,
                      real.memory,   real.files,   c.shell_starts ? real.system : no_shell,
                      real.ui,       real.wmi};
    App app(platform);
    app.state = run.app.state;
    Buttons buttons;
    QtvPage page(app, buttons);
    sim::WindowModel window(QtvPageDialog());
    page.OnNotify(window, kPsnSetActive);
    EXPECT_EQ(window.Find(kIdcQtvBackup)->enabled, c.backup_enabled);
    page.OnCommand(window, kIdcQtvBackup, kBnClicked);  // even while disabled
    std::vector<std::string> shown;
    for (const auto& message : run.ui.messages) shown.push_back(message.text);
    EXPECT_EQ(shown, c.messages);
  }
}

}  // namespace
}  // namespace tunora::testing
