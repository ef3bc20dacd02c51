// The sheet's two orders: every reader when it opens (values recorded twice)
// and every writer on Apply (under its condition, with its 0/1 result).
#include "settings/setting_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/settings/recording_registry.h"
#include "tests/settings/settings_test_machine.h"

namespace tunora {
namespace {

// A Windows 2000 machine with the dual driver 5.70 and one board record.
constexpr const char* kWin2kMachine =
    R"([HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\QX2DUO\Device0]
"D00"=hex:25,05,00,00,00,00,7d,21
"D00.Qxg.AGPFlags"=hex:02,00,00,00
"D00.Engine.BusMastering"=hex:00,00,00,00
"Qxg.AGPFlags"=hex:01,00,00,00
"User3D.TexUpdateAreaSize"=dword:00100000
"User3D.TextureEnvCombineExtEnable"=dword:00000001

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\QX2\Device0]
"User3D.FlipOnVBlank"=hex:01,00,00,00
"User.DeviceBitmapsCaching"=hex:00,00,00,00
"User3D.PageFlipEnable"=dword:00000001
"User3D.SwapIntervalExtFlags"=dword:00000009
"User3D.SwapIntervalExtEnable"=dword:00000001
"User3D.AllowGDI"=dword:00000001
"User3D.16BitTextures"=dword:00000000
"User3D.FastZOffset"=dword:00000000

)";
const MachineSetup kWin2k570 = {kPlatformWin2kXp, kFamilyQx2, {5, 70}};

TEST(ReadAllSettings, RecordsEveryValueTwice) {
  SettingsMachine machine(kWin2kMachine, kWin2k570);
  const SettingState state = ReadOnly(machine, [&] { return ReadAllSettings(machine.context); });
  SettingValues expected;
  expected.agp_mode = kAgp2x;  // our board's copy in the dual driver
  expected.flip_on_vblank = 1;
  expected.bus_mastering = 1;  // single-else-dual reads the single driver: nothing there
  expected.bitmap_caching = 0;
  expected.ogl = {kOglAccuracy, 1, kVsyncApplicationDecides, 0};  // where the writer puts it
  expected.subimage_cache_kb = 1024;
  expected.multitexturing = kUnchanged;  // the OpenGL page reads it when shown
  EXPECT_EQ(state.current, expected);
  EXPECT_EQ(state.at_opening, expected);
  EXPECT_EQ(state.changed, ChangedMarkers{});
}

TEST(ReadAllSettings, EachRoadsDefaultsOnAnEmptyDriver) {
  struct Case {
    MachineSetup setup;
    std::int32_t flip_on_vblank;
  };
  const std::vector<Case> cases = {{{kPlatform9x, kFamilyQx2, {}}, 1},
                                   {{kPlatformNt4, kFamilyQx2, {}}, kUnchanged},
                                   {{kPlatformWin2kXp, kFamilyQx2, {5, 69}}, 1},
                                   {{kPlatformWin2kXp, kFamilyQx2, {5, 70}}, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(int{c.setup.platform});
    SettingsMachine machine("[HKEY_LOCAL_MACHINE\\Software]\n\n", c.setup);
    const SettingState state = ReadOnly(machine, [&] { return ReadAllSettings(machine.context); });
    SettingValues expected;
    expected.agp_mode = kAgpDefault;
    expected.flip_on_vblank = c.flip_on_vblank;
    expected.bus_mastering = 1;
    expected.bitmap_caching = 1;
    expected.subimage_cache_kb = 512;
    EXPECT_EQ(state.current, expected);
    EXPECT_EQ(state.at_opening, expected);
  }
}

// Readers in the order of the road; the capture switch last, except on NT 4.
TEST(ReadSettingsForSheet, RunsTheReadersInTheirOrder) {
  struct Case {
    MachineSetup setup;
    std::vector<std::string> order;
  };
  const std::vector<Case> cases = {
      {kWin2k570,
       {"query D00.Qxg.AGPFlags", "query User3D.FlipOnVBlank", "query D00.Engine.BusMastering",
        "query User.DeviceBitmapsCaching", "query User3D.PageFlipEnable",
        "query User3D.TexUpdateAreaSize", "capture"}},
      {{kPlatformNt4, kFamilyQx2, {}},
       {"query Qxg.AGPFlags", "query User.UseBusMastering", "query User.DeviceBitmaps",
        "query User3D.PageFlipEnable", "query User3D.TexUpdateAreaSize"}},
      {{kPlatform9x, kFamilyQx2, {}},
       {"query AGPFlags", "query FlipOnVBlank", "query BusMastering", "query DeviceBitmapsCaching",
        "query User3D.PageFlipEnable", "query User3D.TexUpdateAreaSize", "capture"}},
  };
  // Every road's keys, so every reader finds something to query.
  const std::string body = std::string(kWin2kMachine) +
                           R"([HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\qxg64\Device0]

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\QX2\Device1]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0000]
"DriverDesc"="Quillex"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0000\Settings\CPU]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0000\Settings\DirectX]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0000\Settings\Engine]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0000\Settings\GDI]

[HKEY_LOCAL_MACHINE\Software\Quillex\Panelix\Current Settings]

)";
  for (const Case& c : cases) {
    SCOPED_TRACE(int{c.setup.platform});
    SettingsMachine machine(body, c.setup);
    RecordingRegistry recording(machine.registry());
    recording.log_queries = true;
    SettingState state;
    ReadSettingsForSheet(machine.ContextOver(recording), &state,
                         [&] { recording.log.push_back("capture"); });
    std::vector<std::string> firsts;
    for (const std::string& entry : recording.log) {
      const bool wanted = std::find(c.order.begin(), c.order.end(), entry) != c.order.end();
      if (wanted && std::find(firsts.begin(), firsts.end(), entry) == firsts.end()) {
        firsts.push_back(entry);
      }
    }
    EXPECT_EQ(firsts, c.order);
  }
}

// A second opening re-reads the values and leaves the markers alone.
TEST(ReadSettingsForSheet, ReReadsIntoTheSameState) {
  SettingsMachine machine(kWin2kMachine, kWin2k570);
  SettingState state;
  state.changed.agp_mode = 1;
  state.current.agp_mode = kAgp4x;
  state.current.multitexturing = 0;  // left from a cancelled sheet
  state.at_opening.subimage_cache_kb = 77;
  ReadSettingsForSheet(machine.context, &state);
  EXPECT_EQ(state.current.agp_mode, kAgp2x);
  EXPECT_EQ(state.current.multitexturing, kUnchanged);
  EXPECT_EQ(state.at_opening, state.current);
  EXPECT_EQ(state.changed.agp_mode, 1);
}

TEST(SubImageCacheRecord, OnlyTheResult524288BecomesAFieldSizedValue) {
  EXPECT_EQ(RecordedSubImageCache(524288), 512);
  EXPECT_EQ(RecordedSubImageCache(512), 512);
  EXPECT_EQ(RecordedSubImageCache(1024), 1024);
  EXPECT_EQ(RecordedSubImageCache(524287), 524287);
  EXPECT_EQ(RecordedSubImageCache(524289), 524289);
}

// Stored bytes 0x20000000 read as 524288 KB and are recorded as 512; the
// usual 512 KB (524288 bytes) already reads as 512.
TEST(ReadAllSettings, SubImageCacheAsRecorded) {
  struct Case {
    const char* stored;
    std::int32_t recorded;
  };
  const std::vector<Case> cases = {{"dword:20000000", 512},
                                   {"dword:00080000", 512},
                                   {"dword:00100000", 1024},
                                   {"dword:20000400", 524289}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    SettingsMachine machine(
        "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\qxg64\\Device0]\n"
        "\"User3D.TexUpdateAreaSize\"=" +
            std::string(c.stored) + "\n\n",
        {kPlatformNt4, kFamilyQx2, {}});
    const SettingState state = ReadAllSettings(machine.context);
    EXPECT_EQ(state.current.subimage_cache_kb, c.recorded);
    EXPECT_EQ(state.at_opening.subimage_cache_kb, c.recorded);
  }
}

// Apply.

// Index of the first log entry equal to `entry`, or the log's size.
std::size_t FirstIndex(const std::vector<std::string>& log, std::string_view entry) {
  return static_cast<std::size_t>(std::find(log.begin(), log.end(), entry) - log.begin());
}

ApplyHooks LoggingHooks(std::vector<std::string>* log) {
  return {[log] { log->push_back("tv frequencies"); }, [log] { log->push_back("custom mode"); },
          [log] { log->push_back("capture switch"); }};
}

SettingState EverythingChanged() {
  SettingState state;
  state.current = {kAgp1x, 0, 0, 0, {kOglSpeed, 1, kVsyncApplicationDecides, 0}, 2048, 1};
  state.changed = {1, 1, 1, 1};
  return state;
}

TEST(WriteAllSettings, RunsTheWritersInTheApplyOrder) {
  const std::vector<std::string> order = {
      "tv frequencies",
      "custom mode",
      "set Qxg.AGPFlags",
      "set User3D.FlipOnVBlank",
      "set D00.Engine.BusMastering",
      "set User.DeviceBitmapsCaching",
      "set User3D.PageFlipEnable",
      "set User3D.TexUpdateAreaSize",
      "capture switch",
      "set User3D.TextureEnvCombineExtEnable",
  };
  SettingsMachine machine(kWin2kMachine, kWin2k570);
  RecordingRegistry recording(machine.registry());
  const ApplyResults results = WriteAllSettings(machine.ContextOver(recording), EverythingChanged(),
                                                LoggingHooks(&recording.log));
  for (std::size_t i = 0; i + 1 < order.size(); ++i) {
    SCOPED_TRACE(order[i]);
    ASSERT_LT(FirstIndex(recording.log, order[i]), recording.log.size());
    EXPECT_LT(FirstIndex(recording.log, order[i]), FirstIndex(recording.log, order[i + 1]));
  }
  EXPECT_FALSE(results.AnyRebootBlockingFailure(kPlatformWin2kXp));
  EXPECT_EQ(machine.Data("SYSTEM\\CurrentControlSet\\Services\\QX2DUO\\Device0", "Qxg.AGPFlags"),
            std::string("\x01\0\0\0", 4));
}

TEST(WriteAllSettings, Nt4SkipsVerticalSyncAndThePageOwnedWriters) {
  SettingsMachine machine(
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\qxg64\\Device0]\n\n",
      {kPlatformNt4, kFamilyQx2, {}});
  RecordingRegistry recording(machine.registry());
  const ApplyResults results = WriteAllSettings(machine.ContextOver(recording), EverythingChanged(),
                                                LoggingHooks(&recording.log));
  EXPECT_EQ(FirstIndex(recording.log, "tv frequencies"), 0u);
  for (const char* absent :
       {"custom mode", "capture switch", "set User3D.FlipOnVBlank", "set User.FlipOnVBlank"}) {
    EXPECT_EQ(FirstIndex(recording.log, absent), recording.log.size()) << absent;
  }
  EXPECT_TRUE(results.flip_on_vblank);  // not run, so not failed
  EXPECT_FALSE(results.AnyRebootBlockingFailure(kPlatformNt4));
  EXPECT_EQ(machine.Export("SYSTEM\\CurrentControlSet\\Services\\qxg64\\Device0"),
            Reg(R"([HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\qxg64\Device0]
"Qxg.AGPFlags"=hex:01,00,00,00
"User.UseBusMastering"=hex:00,00,00,00
"User.DeviceBitmaps"=hex:00,00,00,00
"User3D.PageFlipEnable"=dword:00000001
"User3D.SwapIntervalExtFlags"=dword:00000009
"User3D.SwapIntervalExtEnable"=dword:00000000
"User3D.AllowGDI"=dword:00000000
"User3D.16BitTextures"=dword:00000001
"User3D.FastZOffset"=dword:00000001
"User3D.TexUpdateAreaSize"=dword:00200000
"User3D.TextureEnvCombineExtEnable"=dword:00000001

)"));
}

// Untouched settings are not written; the preset read as 1 resets the
// driver's tuning values everywhere, and the cache size is the field's: a
// size writes it, a cleared field (0) leaves the driver's value as it was.
TEST(WriteAllSettings, DriverDefaultsThenTheCacheSize) {
  const std::string tuning =
      "\"User3D.PageFlipEnable\"=dword:00000001\n\"User3D.SwapIntervalExtFlags\"=dword:00000009\n"
      "\"User3D.SwapIntervalExtEnable\"=dword:00000000\n\"User3D.BufferRegionExtEnable\"=dword:"
      "00000001\n"
      "\"User3D.SIMD\"=dword:00000001\n\"User3D.AllowGDI\"=dword:00000001\n"
      "\"User3D.16BitTextures\"=dword:00000001\n\"User3D.NoPost\"=dword:00000001\n"
      "\"User3D.NoSwap\"=dword:00000001\n\"User3D.NoFill\"=dword:00000001\n"
      "\"User3D.FastZOffset\"=dword:00000001\n\"User3D.TexUpdateAreaSize\"=dword:00040000\n"
      "\"User3D.NumBuffers\"=dword:00000002\n\"User3D.BufferSize\"=dword:00001000\n";
  struct Case {
    std::int32_t field_kb;
    const char* stored;
  };
  for (const Case& c : {Case{512, "00080000"}, Case{0, "00040000"}}) {
    SCOPED_TRACE(c.field_kb);
    SettingsMachine machine(
        "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\QX2\\Device0]\n"
        "\"Qxg.AGPFlags\"=hex:02,00,00,00\n" +
            tuning +
            "\n[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\qxg64\\Device0]\n" +
            tuning + "\n",
        kWin2k570);
    SettingState state = ReadAllSettings(machine.context);
    EXPECT_EQ(state.current.ogl.preset, kOglDriverDefaults);
    EXPECT_EQ(state.current.subimage_cache_kb, 256);
    state.current.subimage_cache_kb = c.field_kb;  // the page's field, as if retyped
    const ApplyResults results = WriteAllSettings(machine.context, state);
    EXPECT_FALSE(results.AnyRebootBlockingFailure(kPlatformWin2kXp));
    const std::string cache = std::string("\"User3D.TexUpdateAreaSize\"=dword:") + c.stored + "\n";
    EXPECT_EQ(machine.Export("System\\CurrentControlSet\\Services"),
              Reg("[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services]\n\n"
                  "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\QX2]\n\n"
                  "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\QX2\\Device0]\n"
                  "\"Qxg.AGPFlags\"=hex:02,00,00,00\n" +
                  cache +
                  "\n[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\qxg64]\n\n"
                  "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\qxg64\\Device0]\n" +
                  cache + "\n"));
  }
}

// The services key exists, but no display driver is installed: every
// writer that needs a driver's key fails, and none creates a service key,
// which the next run would take for an installed driver.
TEST(WriteAllSettings, ReportsEachWritersResult) {
  SettingsMachine machine("[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip]\n\n",
                          kWin2k570);
  const std::string before = machine.Export();
  const ApplyResults results = WriteAllSettings(machine.context, EverythingChanged());
  EXPECT_FALSE(results.agp_mode);
  EXPECT_FALSE(results.flip_on_vblank);
  EXPECT_FALSE(results.bus_mastering);
  EXPECT_FALSE(results.bitmap_caching);
  EXPECT_FALSE(results.ogl_preset);
  EXPECT_FALSE(results.subimage_cache);
  EXPECT_TRUE(results.AnyRebootBlockingFailure(kPlatformWin2kXp));
  EXPECT_TRUE(machine.ui.messages.empty());
  EXPECT_EQ(machine.Export(), before);
}

TEST(ApplyResults, WhichFailuresStopTheReboot) {
  ApplyResults cache_only;
  cache_only.subimage_cache = false;
  EXPECT_FALSE(cache_only.AnyRebootBlockingFailure(kPlatformWin2kXp));
  EXPECT_FALSE(cache_only.AnyRebootBlockingFailure(kPlatformNt4));
  EXPECT_TRUE(cache_only.AnyRebootBlockingFailure(kPlatform9x));
  for (bool ApplyResults::*slot :
       {&ApplyResults::agp_mode, &ApplyResults::flip_on_vblank, &ApplyResults::bus_mastering,
        &ApplyResults::bitmap_caching, &ApplyResults::ogl_preset}) {
    ApplyResults one;
    one.*slot = false;
    for (PlatformKind platform : {kPlatform9x, kPlatformNt4, kPlatformWin2kXp}) {
      EXPECT_TRUE(one.AnyRebootBlockingFailure(platform));
    }
  }
  EXPECT_FALSE(ApplyResults{}.AnyRebootBlockingFailure(kPlatform9x));
}

TEST(WriteAllSettings, MultitexturingOnlyWhenKnown) {
  const std::string body =
      "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\QX2\\Device0]\n"
      "\"User3D.TextureEnvCombineExtEnable\"=dword:00000001\n\n";
  struct Case {
    std::int32_t multitexturing;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {kUnchanged, sim::DwordBytes(1)}, {1, sim::DwordBytes(1)}, {0, "<absent>"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.multitexturing);
    SettingsMachine machine(body, kWin2k570);
    SettingState state;
    state.current.ogl.preset = 0;  // neither preset writer
    state.current.multitexturing = c.multitexturing;
    WriteAllSettings(machine.context, state);
    EXPECT_EQ(machine.Data("System\\CurrentControlSet\\Services\\QX2\\Device0",
                           "User3D.TextureEnvCombineExtEnable"),
              c.expected);
  }
}

// With every marker at kUnchanged, a fresh read applied again changes only
// what Apply always writes: the preset and the cache size.
TEST(WriteAllSettings, UntouchedSettingsAreNotWritten) {
  SettingsMachine machine(kWin2kMachine, kWin2k570);
  RecordingRegistry recording(machine.registry());
  const SettingState state = ReadAllSettings(machine.context);
  WriteAllSettings(machine.ContextOver(recording), state);
  for (const std::string& entry : recording.log) {
    SCOPED_TRACE(entry);
    EXPECT_TRUE(entry.find("User3D.") != std::string::npos || entry.rfind("create ", 0) == 0);
  }
  EXPECT_EQ(ReadAllSettings(machine.context).current, state.current);
}

}  // namespace
}  // namespace tunora
