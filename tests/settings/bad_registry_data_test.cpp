// Damaged or unexpected registry data: every reader stays inside what the
// registry returned and falls back to its default; writers stay within
// their limits.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "settings/catalog.h"
#include "settings/setting_state.h"
#include "tests/settings/settings_test_machine.h"

namespace tunora {
namespace {

// Every value the 2000/XP readers (driver 5.70, board record D00 ours) look
// at, each with the same data.
std::string Win2kValues(std::string_view data) {
  std::string lines;
  for (const char* name :
       {"D00.Qxg.AGPFlags", "Qxg.AGPFlags", "User3D.FlipOnVBlank", "D00.Engine.BusMastering",
        "User.DeviceBitmapsCaching", "User3D.PageFlipEnable", "User3D.SwapIntervalExtFlags",
        "User3D.SwapIntervalExtEnable", "User3D.AllowGDI", "User3D.16BitTextures",
        "User3D.FastZOffset", "User3D.TexUpdateAreaSize", "User3D.TextureEnvCombineExtEnable"}) {
    lines += "\"" + std::string(name) + "\"=" + std::string(data) + "\n";
  }
  return "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\QX2\\Device0]\n"
         "\"D00\"=hex:25,05,00,00,00,00,7d,21\n" +
         lines + "\n";
}

SettingValues Defaults2000New() {
  SettingValues values;
  values.agp_mode = kAgpDefault;
  values.flip_on_vblank = 0;
  values.bus_mastering = 1;
  values.bitmap_caching = 1;
  values.subimage_cache_kb = 512;
  return values;
}

SettingValues ReadAll(SettingsMachine& machine) {
  return ReadOnly(machine, [&] { return ReadAllSettings(machine.context).current; });
}

TEST(BadRegistryData, ZeroLengthValuesReadAsAbsent) {
  SettingsMachine machine(Win2kValues("hex:"), {kPlatformWin2kXp, kFamilyQx2, {5, 70}});
  EXPECT_EQ(ReadAll(machine), Defaults2000New());
  EXPECT_EQ(ReadOnly(machine, [&] { return ReadMultitexturing(machine.context); }), 0);
}

// Five bytes do not fit the four-byte buffers: nothing is read, even though
// the first byte would decide.
TEST(BadRegistryData, ValuesLongerThanTheBufferDoNotRead) {
  SettingsMachine machine(Win2kValues("hex:01,00,00,00,00"),
                          {kPlatformWin2kXp, kFamilyQx2, {5, 70}});
  EXPECT_EQ(ReadAll(machine), Defaults2000New());
  EXPECT_EQ(ReadOnly(machine, [&] { return ReadMultitexturing(machine.context); }), 0);
  SettingsMachine huge(Win2kValues("hex(7):" +
                                   [] {
                                     std::string bytes;
                                     for (int i = 0; i < 4096; ++i) bytes += i ? ",01" : "01";
                                     return bytes;
                                   }()),
                       {kPlatformWin2kXp, kFamilyQx2, {5, 70}});
  EXPECT_EQ(ReadAll(huge), Defaults2000New());
}

// The registry hands back the bytes whatever the type says; the readers
// look at the bytes.
TEST(BadRegistryData, ValuesOfTheWrongTypeAreReadByTheirBytes) {
  struct Case {
    const char* data;
    SettingValues expected;
  };
  SettingValues as_text_one = Defaults2000New();   // "1" is 31 00: no choice
  as_text_one.subimage_cache_kb = 0;               // 0x31 bytes = 0 KB
  SettingValues as_dword_one = Defaults2000New();  // 01 00 00 00 in every value
  as_dword_one.agp_mode = kAgp1x;
  as_dword_one.flip_on_vblank = 1;
  as_dword_one.bus_mastering = 1;
  as_dword_one.bitmap_caching = 1;
  as_dword_one.subimage_cache_kb = 0;
  as_dword_one.ogl = {kOglDriverDefaults, 0, kUnchanged, kUnchanged};  // flags 1, not 9
  SettingValues as_binary_zero = Defaults2000New();
  as_binary_zero.bus_mastering = 0;
  as_binary_zero.bitmap_caching = 0;
  as_binary_zero.subimage_cache_kb = 0;
  const std::vector<Case> cases = {
      {"\"1\"", as_text_one},           {"hex(2):31,00", as_text_one},
      {"dword:00000001", as_dword_one}, {"hex(0):01,00,00,00", as_dword_one},
      {"hex:00", as_binary_zero},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data);
    SettingsMachine machine(Win2kValues(c.data), {kPlatformWin2kXp, kFamilyQx2, {5, 70}});
    EXPECT_EQ(ReadAll(machine), c.expected);
  }
}

// Windows 98/ME texts: too long, empty, without their zero, or numbers.
TEST(BadRegistryData, On9xTextsOfEveryShape) {
  struct Case {
    const char* data;
    std::int32_t agp, flip, bus, bitmaps;
  };
  const std::vector<Case> cases = {
      {"\"-1xx\"", kAgpDefault, 1, 1, 1},  // five bytes: not read
      {"hex:", kAgpDefault, 1, 1, 1},      // empty
      {"\"\"", kAgpDefault, 1, 1, 1},      // just the zero
      {"hex:30", kAgp1x, 0, 0, 0},         // "0" without its zero
      {"dword:00000000", kAgpDefault, 1, 1, 1},
      {"dword:00000030", kAgp1x, 0, 0, 0},   // "0", zero-padded
      {"hex:2d,32,00,00", kAgp4x, 1, 1, 1},  // "-2"
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data);
    const std::string settings =
        "[HKEY_LOCAL_"
        "MACHINE\\System\\CurrentControlSet\\Services\\Class\\Display\\0000\\Settings\\";
    SettingsMachine machine(
        "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Display\\0000]\n"
        "\"DriverDesc\"=\"Quillex\"\n\n" +
            settings + "CPU]\n\"AGPFlags\"=" + c.data + "\n\n" + settings +
            "DirectX]\n\"FlipOnVBlank\"=" + c.data + "\n\n" + settings +
            "Engine]\n\"BusMastering\"=" + c.data + "\n\n" + settings +
            "GDI]\n\"DeviceBitmapsCaching\"=" + c.data + "\n\n",
        {kPlatform9x, kFamilyQx2, {}});
    const SettingValues values = ReadAll(machine);
    EXPECT_EQ(values.agp_mode, c.agp);
    EXPECT_EQ(values.flip_on_vblank, c.flip);
    EXPECT_EQ(values.bus_mastering, c.bus);
    EXPECT_EQ(values.bitmap_caching, c.bitmaps);
  }
}

// Our board's record cut short counts as absent: the AGP writer walks past
// it and refreshes every copy; the readers fall back to board 00.
TEST(BadRegistryData, ShortBoardRecordCountsAsAbsent) {
  SettingsMachine machine(R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Device0]
"D00"=hex:20,05,00,00,00,00,7d,21
"D00.Qxg.AGPFlags"=hex:01,00,00,00
"D00.Engine.BusMastering"=hex:01,00,00,00
"D01"=hex:25,05,00,00,00,00,7d
"D01.Qxg.AGPFlags"=hex:02,00,00,00
"D01.Engine.BusMastering"=hex:00,00,00,00
"D02.Qxg.AGPFlags"=hex:02,00,00,00

)",
                          {kPlatformWin2kXp, kFamilyQx2, {5, 70}});
  EXPECT_EQ(ReadOnly(machine, [&] { return ReadAgpMode(machine.context); }), kAgp1x);
  EXPECT_EQ(ReadOnly(machine, [&] { return ReadBusMastering(machine.context); }), 1);
  EXPECT_TRUE(WriteAgpMode(machine.context, kAgpDefault));
  const std::string device0 = "System\\CurrentControlSet\\Services\\QX2\\Device0";
  for (const char* name : {"D00.Qxg.AGPFlags", "D01.Qxg.AGPFlags", "D02.Qxg.AGPFlags"}) {
    EXPECT_EQ(machine.Data(device0, name), std::string("\x04\x01\0\0", 4)) << name;
  }
}

// More than one hundred records and copies: the walk stops at D99.
TEST(BadRegistryData, MoreThanOneHundredBoardRecords) {
  std::string values;
  for (int i = 0; i <= 120; ++i) {
    char name[8];
    std::snprintf(name, sizeof name, "D%02d", i);
    values += "\"" + std::string(name) + "\"=hex:20,05,00,00,00,00,7d,21\n";
    values += "\"" + std::string(name) + ".Qxg.AGPFlags\"=hex:01,00,00,00\n";
  }
  SettingsMachine machine(
      "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\QX2\\Device0]\n" + values + "\n",
      {kPlatformWin2kXp, kFamilyQx2, {5, 70}});
  EXPECT_TRUE(WriteAgpMode(machine.context, kAgp2x));
  const std::string device0 = "System\\CurrentControlSet\\Services\\QX2\\Device0";
  EXPECT_EQ(machine.Data(device0, "D99.Qxg.AGPFlags"), std::string("\x02\0\0\0", 4));
  EXPECT_EQ(machine.Data(device0, "D100.Qxg.AGPFlags"), std::string("\x01\0\0\0", 4));
  EXPECT_EQ(machine.Data(device0, "D120.Qxg.AGPFlags"), std::string("\x01\0\0\0", 4));
}

// Twenty device keys: the writers reach the first sixteen only.
TEST(BadRegistryData, MoreThanSixteenDeviceSubKeys) {
  std::string body;
  for (int i = 0; i < 20; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "Device%02d", i);
    body += "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\QX2\\" + std::string(name) +
            "]\n\"User.DeviceBitmaps\"=hex:01,00,00,00\n\n";
  }
  body +=
      "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\QX2\\Device19]\n"
      "\"User.DeviceBitmaps\"=hex:00,00,00,00\n\n";
  SettingsMachine machine(body, {kPlatformWin2kXp, kFamilyQx2, {5, 69}});
  // Device19, which would read as off, is past the limit.
  EXPECT_EQ(ReadOnly(machine, [&] { return ReadBitmapCaching(machine.context); }), 1);
  EXPECT_TRUE(WriteBitmapCaching(machine.context, 0));
  const std::string service = "System\\CurrentControlSet\\Services\\QX2\\";
  EXPECT_EQ(machine.Data(service + "Device15", "User.DeviceBitmaps"), std::string("\0\0\0\0", 4));
  EXPECT_EQ(machine.Data(service + "Device16", "User.DeviceBitmaps"), std::string("\x01\0\0\0", 4));
}

// Key names of the registry's greatest length (255 characters) on every
// enumeration: NT device keys and 98/ME instances.
TEST(BadRegistryData, LongestKeyNames) {
  const std::string device = "Device" + std::string(249, '9');
  const std::string instance = std::string(255, '7');
  ASSERT_EQ(device.size(), 255u);
  SettingsMachine nt("[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\qxg64\\" + device +
                         "]\n\"User.UseBusMastering\"=hex:00,00,00,00\n\n",
                     {kPlatformNt4, kFamilyQx2, {}});
  EXPECT_EQ(ReadOnly(nt, [&] { return ReadBusMastering(nt.context); }), 0);
  EXPECT_TRUE(WriteBusMastering(nt.context, 1));
  EXPECT_EQ(ReadBusMastering(nt.context), 1);

  SettingsMachine x9("[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Display\\" +
                         instance + "]\n\"DriverDesc\"=\"Quillex\"\n\n",
                     {kPlatform9x, kFamilyQx2, {}});
  EXPECT_TRUE(WriteAgpMode(x9.context, kAgp2x));
  EXPECT_EQ(x9.Data("System\\CurrentControlSet\\Services\\Class\\Display\\" + instance +
                        "\\Settings\\CPU",
                    "AGPFlags"),
            std::string("-1\0", 3));
  EXPECT_EQ(ReadAgpMode(x9.context), kAgp2x);
}

}  // namespace
}  // namespace tunora
