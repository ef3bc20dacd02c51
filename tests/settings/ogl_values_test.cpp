// The driver-defaults reset, the sub-image cache size and advanced
// multitexturing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/catalog.h"
#include "settings/driver_keys.h"
#include "tests/settings/recording_registry.h"
#include "tests/settings/settings_test_machine.h"

namespace tunora {
namespace {

// The thirteen tuning values the reset removes, and the cache size it
// leaves to the cache size's own writer.
constexpr const char* kThirteen =
    "\"User3D.PageFlipEnable\"=dword:00000001\n"
    "\"User3D.SwapIntervalExtFlags\"=dword:00000009\n"
    "\"User3D.SwapIntervalExtEnable\"=dword:00000000\n"
    "\"User3D.BufferRegionExtEnable\"=dword:00000001\n"
    "\"User3D.SIMD\"=dword:00000001\n"
    "\"User3D.AllowGDI\"=dword:00000000\n"
    "\"User3D.16BitTextures\"=dword:00000001\n"
    "\"User3D.NoPost\"=dword:00000001\n"
    "\"User3D.NoSwap\"=dword:00000001\n"
    "\"User3D.NoFill\"=dword:00000001\n"
    "\"User3D.FastZOffset\"=dword:00000001\n"
    "\"User3D.NumBuffers\"=dword:00000002\n"
    "\"User3D.BufferSize\"=dword:00001000\n";
constexpr const char* kCacheSize = "\"User3D.TexUpdateAreaSize\"=dword:00080000\n";

std::string Key(std::string_view path, std::string_view lines) {
  return "[HKEY_LOCAL_MACHINE\\" + std::string(path) + "]\n" + std::string(lines) + "\n";
}

TEST(ResetOglDefaults, RemovesTheTuningValuesButNotTheCacheSizeFromEveryListedKey) {
  const std::string kept = std::string("\"User3D.TextureEnvCombineExtEnable\"=dword:00000001\n") +
                           "\"Qxg.AGPFlags\"=hex:02,00,00,00\n" + kCacheSize;
  std::string body;
  for (std::string_view path : kFixedDeviceKeyList) body += Key(path, kept + kThirteen);
  // Keys not on the list keep their values.
  const std::string unlisted =
      Key("System\\CurrentControlSet\\Services\\QX2\\Device1", kThirteen) +
      Key("System\\CurrentControlSet\\Services\\QX2DUO\\Device0", kThirteen);
  for (PlatformKind platform : {kPlatform9x, kPlatformNt4, kPlatformWin2kXp}) {
    SCOPED_TRACE(int{platform});
    SettingsMachine machine(body + unlisted, {platform, kFamilyQx2, {}});
    ResetOglDefaults(machine.context);
    std::string expected_body;
    for (std::string_view path : kFixedDeviceKeyList) expected_body += Key(path, kept);
    SettingsMachine expected(expected_body + unlisted);
    EXPECT_EQ(machine.Export(), expected.Export());
  }
}

TEST(ResetOglDefaults, CreatesNothingAndNeverFails) {
  SettingsMachine machine("[HKEY_LOCAL_MACHINE\\Software\\Quillex]\n\n");
  const std::string before = machine.Export();
  ResetOglDefaults(machine.context);
  EXPECT_EQ(machine.Export(), before);
  SettingsMachine guest(Key(kFixedDeviceKeyList[0], kThirteen), {.administrator = false});
  ResetOglDefaults(guest.context);
  EXPECT_TRUE(guest.ui.messages.empty());
}

// Sub-image cache size.
TEST(SubImageCache, NtWritesBytesIntoTheS5DeviceKeysAndReadsKilobytes) {
  SettingsMachine machine(R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Device0]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Enum]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\qxg64\Device0]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX1\Device0]

)");
  EXPECT_EQ(ReadOnly(machine, [&] { return ReadSubImageCache(machine.context); }), 512);
  EXPECT_TRUE(WriteSubImageCache(machine.context, 1024));
  EXPECT_EQ(machine.Export("System\\CurrentControlSet\\Services"),
            Reg(R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX1]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX1\Device0]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Device0]
"User3D.TexUpdateAreaSize"=dword:00100000

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Enum]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\qxg64]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\qxg64\Device0]
"User3D.TexUpdateAreaSize"=dword:00100000

)"));
  EXPECT_EQ(ReadOnly(machine, [&] { return ReadSubImageCache(machine.context); }), 1024);
}

// The reader opens every sub-key, whatever its name; the last read wins.
TEST(SubImageCache, NtReaderTakesTheLastValueOfAnySubKey) {
  SettingsMachine machine(R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Device0]
"User3D.TexUpdateAreaSize"=dword:00040000

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Enum]
"User3D.TexUpdateAreaSize"=dword:00080000

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2DUO\Settings]
"User3D.TexUpdateAreaSize"=dword:00200000

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX3DUO\Device0]
"User3D.TexUpdateAreaSize"=dword:00400000

)");
  EXPECT_EQ(ReadOnly(machine, [&] { return ReadSubImageCache(machine.context); }), 2048);
}

TEST(SubImageCache, BytesToKilobytes) {
  struct Case {
    const char* data;
    std::int32_t expected;
  };
  const std::vector<Case> cases = {
      {"dword:00080000", 512},     {"dword:00100000", 1024}, {"dword:000003ff", 0},
      {"dword:00000400", 1},       {"dword:000007ff", 1},    {"dword:ffffffff", 0x3FFFFF},
      {"dword:20000000", 0x80000}, {"hex:00,04", 1},         {"hex:00,00,10,00,00", 512},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data);
    SettingsMachine machine(Key("System\\CurrentControlSet\\Services\\qxg64\\Device0",
                                "\"User3D.TexUpdateAreaSize\"=" + std::string(c.data) + "\n"),
                            {kPlatformNt4, kFamilyQx2, {}});
    EXPECT_EQ(ReadOnly(machine, [&] { return ReadSubImageCache(machine.context); }), c.expected);
  }
}

TEST(SubImageCache, NtWriterFailsWithoutDeviceKeys) {
  SettingsMachine machine("[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\qxg64]\n\n");
  EXPECT_FALSE(WriteSubImageCache(machine.context, 512));
}

TEST(SubImageCache, On9xCreatesTheProfileKeys) {
  SettingsMachine machine("[HKEY_LOCAL_MACHINE\\Software\\Other]\n\n",
                          {kPlatform9x, kFamilyQx2, {}});
  EXPECT_EQ(ReadOnly(machine, [&] { return ReadSubImageCache(machine.context); }), 512);
  EXPECT_TRUE(WriteSubImageCache(machine.context, 2048));
  EXPECT_EQ(machine.Export("Software\\Quillex"), Reg(R"([HKEY_LOCAL_MACHINE\Software\Quillex]

[HKEY_LOCAL_MACHINE\Software\Quillex\Panelix]

[HKEY_LOCAL_MACHINE\Software\Quillex\Panelix\Current Settings]
"User3D.TexUpdateAreaSize"=dword:00200000

[HKEY_LOCAL_MACHINE\Software\Quillex\Panelix\Version5]

[HKEY_LOCAL_MACHINE\Software\Quillex\Panelix\Version5\CurrentSettings]
"User3D.TexUpdateAreaSize"=dword:00200000

[HKEY_LOCAL_MACHINE\Software\Quillex\Panelix\Version6]

[HKEY_LOCAL_MACHINE\Software\Quillex\Panelix\Version6\CurrentSettings]
"User3D.TexUpdateAreaSize"=dword:00200000

)"));
  EXPECT_EQ(ReadSubImageCache(machine.context), 2048);
}

TEST(SubImageCache, On9xCreatesParentsFirst) {
  SettingsMachine machine("", {kPlatform9x, kFamilyQx2, {}});
  RecordingRegistry recording(machine.registry());
  EXPECT_TRUE(WriteSubImageCache(machine.ContextOver(recording), 512));
  EXPECT_EQ(recording.log, (std::vector<std::string>{
                               "create Software\\Quillex\\",
                               "create Software\\Quillex\\Panelix\\",
                               "create Software\\Quillex\\Panelix\\Version5\\",
                               "create Software\\Quillex\\Panelix\\Version6\\",
                               "create Software\\Quillex\\Panelix\\Current Settings",
                               "create Software\\Quillex\\Panelix\\Version5\\CurrentSettings",
                               "create Software\\Quillex\\Panelix\\Version6\\CurrentSettings",
                               "create Software\\Quillex\\Panelix\\Current Settings",
                               "set User3D.TexUpdateAreaSize",
                               "set User3D.TexUpdateAreaSize",
                               "set User3D.TexUpdateAreaSize",
                           }));
}

// Version6, then Version5, then "Current Settings": the last one read wins.
TEST(SubImageCache, On9xCurrentSettingsWins) {
  SettingsMachine machine(Key("Software\\Quillex\\Panelix\\Current Settings",
                              "\"User3D.TexUpdateAreaSize\"=dword:00040000\n") +
                              Key("Software\\Quillex\\Panelix\\Version5\\CurrentSettings",
                                  "\"User3D.TexUpdateAreaSize\"=dword:00080000\n") +
                              Key("Software\\Quillex\\Panelix\\Version6\\CurrentSettings",
                                  "\"User3D.TexUpdateAreaSize\"=dword:00100000\n"),
                          {kPlatform9x, kFamilyQx2, {}});
  EXPECT_EQ(ReadOnly(machine, [&] { return ReadSubImageCache(machine.context); }), 256);
}

// Advanced multitexturing.
TEST(Multitexturing, EnableWritesTheFirstDeviceSubKeyOfEachService) {
  SettingsMachine machine(R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX1\Device0]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Device0]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Device1]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2DUO\Device1]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX3DUO\Control]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX3DUO\Device0]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\qxg64]

)");
  // QX3DUO's first sub-key is "Control", which sorts before "Device0".
  EnableMultitexturing(machine.context);
  EXPECT_EQ(machine.Export("System\\CurrentControlSet\\Services"),
            Reg(R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX1]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX1\Device0]
"User3D.TextureEnvCombineExtEnable"=dword:00000001

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Device0]
"User3D.TextureEnvCombineExtEnable"=dword:00000001

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Device1]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2DUO]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2DUO\Device1]
"User3D.TextureEnvCombineExtEnable"=dword:00000001

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX3DUO]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX3DUO\Control]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX3DUO\Device0]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\qxg64]

)"));
}

TEST(Multitexturing, EnableOn9xWritesExistingProfileKeysOnly) {
  SettingsMachine machine(Key("Software\\Quillex\\Panelix\\Version5\\CurrentSettings", ""),
                          {kPlatform9x, kFamilyQx2, {}});
  EnableMultitexturing(machine.context);
  EXPECT_EQ(machine.Export("Software\\Quillex"), Reg(R"([HKEY_LOCAL_MACHINE\Software\Quillex]

[HKEY_LOCAL_MACHINE\Software\Quillex\Panelix]

[HKEY_LOCAL_MACHINE\Software\Quillex\Panelix\Version5]

[HKEY_LOCAL_MACHINE\Software\Quillex\Panelix\Version5\CurrentSettings]
"User3D.TextureEnvCombineExtEnable"=dword:00000001

)"));
  EXPECT_EQ(ReadMultitexturing(machine.context), 1);
}

TEST(Multitexturing, DisableClearsTheFixedListAndReadsOff) {
  std::string body;
  for (std::string_view path : kFixedDeviceKeyList) {
    body += Key(path,
                "\"User3D.TextureEnvCombineExtEnable\"=dword:00000001\n\"Keep\"=dword:00000001\n");
  }
  body += Key("System\\CurrentControlSet\\Services\\QX2\\Device1",
              "\"User3D.TextureEnvCombineExtEnable\"=dword:00000001\n");
  for (PlatformKind platform : {kPlatform9x, kPlatformNt4, kPlatformWin2kXp}) {
    SCOPED_TRACE(int{platform});
    SettingsMachine machine(body, {platform, kFamilyQx2, {}});
    EXPECT_EQ(ReadOnly(machine, [&] { return ReadMultitexturing(machine.context); }), 1);
    DisableMultitexturing(machine.context);
    EXPECT_EQ(ReadMultitexturing(machine.context), 0);
    for (std::string_view path : kFixedDeviceKeyList) {
      EXPECT_EQ(machine.Data(path, "User3D.TextureEnvCombineExtEnable"), "<absent>") << path;
      EXPECT_EQ(machine.Data(path, "Keep"), sim::DwordBytes(1)) << path;
    }
    // Not on the list: left alone, and not what the reader looks at.
    EXPECT_EQ(machine.Data("System\\CurrentControlSet\\Services\\QX2\\Device1",
                           "User3D.TextureEnvCombineExtEnable"),
              sim::DwordBytes(1));
  }
}

// The list is read in order; the last value read decides.
TEST(Multitexturing, ReaderTakesTheLastKeyOfTheList) {
  struct Case {
    std::vector<std::pair<std::size_t, const char*>> values;  // list index, data
    std::int32_t expected;
  };
  const std::vector<Case> cases = {
      {{}, 0},
      {{{0, "dword:00000001"}}, 1},
      {{{0, "dword:00000001"}, {8, "dword:00000000"}}, 0},
      {{{0, "dword:00000000"}, {8, "dword:00000001"}}, 1},
      {{{3, "dword:00000001"}, {6, "dword:00000002"}}, 0},
      {{{2, "dword:00000101"}}, 1},
      {{{2, "dword:00000001"}, {5, "hex:"}}, 1},
      {{{2, "dword:00000001"}, {5, "hex:00,00,00,00,00"}}, 1},
  };
  for (const Case& c : cases) {
    std::string body;
    for (const auto& [index, data] : c.values) {
      body += Key(kFixedDeviceKeyList[index],
                  "\"User3D.TextureEnvCombineExtEnable\"=" + std::string(data) + "\n");
    }
    SCOPED_TRACE(body);
    SettingsMachine machine(body);
    EXPECT_EQ(ReadOnly(machine, [&] { return ReadMultitexturing(machine.context); }), c.expected);
  }
}

// The dual QX2 and the QX3 drivers' device keys are not on the list, yet the
// writer puts the switch there: the reader and the remover visit them too,
// after the list.
TEST(Multitexturing, DualAndQx3DriversReadBackAndTurnOff) {
  for (const char* service : {"QX2DUO", "QX3DUO"}) {
    SCOPED_TRACE(service);
    const std::string device0 =
        "System\\CurrentControlSet\\Services\\" + std::string(service) + "\\Device0";
    SettingsMachine machine(Key(device0, "") +
                            Key(device0.substr(0, device0.size() - 1) + "1", ""));
    EnableMultitexturing(machine.context);
    EXPECT_EQ(machine.Data(device0, "User3D.TextureEnvCombineExtEnable"), sim::DwordBytes(1));
    EXPECT_EQ(ReadOnly(machine, [&] { return ReadMultitexturing(machine.context); }), 1);
    DisableMultitexturing(machine.context);
    EXPECT_EQ(machine.Data(device0, "User3D.TextureEnvCombineExtEnable"), "<absent>");
    EXPECT_EQ(ReadMultitexturing(machine.context), 0);
  }
}

TEST(Multitexturing, ReaderTakesTheWritersOwnKeysAfterTheList) {
  const std::string qx3 = "System\\CurrentControlSet\\Services\\QX3DUO\\Device0";
  const std::string on = "\"User3D.TextureEnvCombineExtEnable\"=dword:00000001\n";
  const std::string off = "\"User3D.TextureEnvCombineExtEnable\"=dword:00000000\n";
  struct Case {
    const char* what;
    PlatformKind platform;
    std::string body;
    std::int32_t expected;
  };
  const std::vector<Case> cases = {
      {"list on, QX3 off", kPlatformWin2kXp, Key(kFixedDeviceKeyList[8], on) + Key(qx3, off), 0},
      {"list off, QX3 on", kPlatformWin2kXp, Key(kFixedDeviceKeyList[8], off) + Key(qx3, on), 1},
      {"NT 4, QX3 on", kPlatformNt4, Key(qx3, on), 1},
      // 98/ME keeps the switch in the profile keys only.
      {"98/ME, QX3 on", kPlatform9x, Key(qx3, on), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SettingsMachine machine(c.body, {c.platform, kFamilyQx3, {}});
    EXPECT_EQ(ReadOnly(machine, [&] { return ReadMultitexturing(machine.context); }), c.expected);
  }
}

}  // namespace
}  // namespace tunora
