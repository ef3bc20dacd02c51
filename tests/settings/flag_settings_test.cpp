// Direct3D vertical sync, bus mastering and device-bitmap caching: value
// names by driver generation, flag bytes, defaults and the 98/ME texts.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "settings/catalog.h"
#include "tests/settings/recording_registry.h"
#include "tests/settings/settings_test_machine.h"

namespace tunora {
namespace {

constexpr std::string_view kQx2Device0 = "System\\CurrentControlSet\\Services\\QX2\\Device0";
constexpr std::string_view kQxg64Device0 = "System\\CurrentControlSet\\Services\\qxg64\\Device0";

constexpr const char* kQx2AndQxg64 =
    R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Device0]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\qxg64\Device0]

)";

std::string Flag(std::uint8_t value) { return std::string{static_cast<char>(value), 0, 0, 0}; }

TEST(NameGeneration, NewNamesNeedBothNumbersAboveTheLine) {
  struct Case {
    PlatformKind platform;
    DriverVersion version;
    ValueNameGeneration expected;
  };
  const std::vector<Case> cases = {
      {kPlatformWin2kXp, {5, 69}, ValueNameGeneration::kOld},
      {kPlatformWin2kXp, {5, 70}, ValueNameGeneration::kNew},
      {kPlatformWin2kXp, {6, 10}, ValueNameGeneration::kOld},
      {kPlatformWin2kXp, {6, 75}, ValueNameGeneration::kNew},
      {kPlatformWin2kXp, {4, 99}, ValueNameGeneration::kOld},
      {kPlatformWin2kXp, {0, 0}, ValueNameGeneration::kOld},
      {kPlatformNt4, {5, 70}, ValueNameGeneration::kOld},
      {kPlatform9x, {5, 70}, ValueNameGeneration::kOld},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << int{c.platform} << " " << c.version.major << "." << c.version.minor);
    SettingsMachine machine("", {c.platform, kFamilyQx2, c.version});
    EXPECT_EQ(NameGeneration(machine.context), c.expected);
  }
}

// On 2000/XP each setting's value name and its default when absent.
TEST(FlagSettings, Win2kNamesAndDefaultsByDriverVersion) {
  struct Case {
    DriverVersion version;
    const char* vsync_name;
    std::int32_t vsync_default;
    const char* bitmaps_name;
  };
  const std::vector<Case> cases = {
      {{5, 69}, "User.FlipOnVBlank", 1, "User.DeviceBitmaps"},
      {{5, 70}, "User3D.FlipOnVBlank", 0, "User.DeviceBitmapsCaching"},
      {{6, 10}, "User.FlipOnVBlank", 1, "User.DeviceBitmaps"},
      {{0, 0}, "User.FlipOnVBlank", 1, "User.DeviceBitmaps"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.version.major << "." << c.version.minor);
    SettingsMachine machine(kQx2AndQxg64, {kPlatformWin2kXp, kFamilyQx2, c.version});
    EXPECT_EQ(ReadOnly(machine, [&] { return ReadFlipOnVBlank(machine.context); }),
              c.vsync_default);
    EXPECT_EQ(ReadOnly(machine, [&] { return ReadBitmapCaching(machine.context); }), 1);
    EXPECT_EQ(ReadOnly(machine, [&] { return ReadBusMastering(machine.context); }), 1);

    const std::int32_t vsync = 1 - c.vsync_default;
    EXPECT_TRUE(WriteFlipOnVBlank(machine.context, vsync));
    EXPECT_TRUE(WriteBitmapCaching(machine.context, 0));
    EXPECT_EQ(machine.Data(kQx2Device0, c.vsync_name), Flag(static_cast<std::uint8_t>(vsync)));
    EXPECT_EQ(machine.Data(kQx2Device0, c.bitmaps_name), Flag(0));
    EXPECT_EQ(ReadFlipOnVBlank(machine.context), vsync);
    EXPECT_EQ(ReadBitmapCaching(machine.context), 0);
    // The NT 4 driver's key is not on these searches.
    EXPECT_EQ(machine.Export(kQxg64Device0),
              Reg("[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\qxg64\\Device0]\n\n"));
  }
}

TEST(BusMastering, OldDriversUseOneValue) {
  SettingsMachine machine(kQx2AndQxg64, {kPlatformWin2kXp, kFamilyQx2, {5, 69}});
  EXPECT_TRUE(WriteBusMastering(machine.context, 0));
  EXPECT_EQ(machine.Export("System\\CurrentControlSet\\Services\\QX2"),
            Reg(R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Device0]
"User.UseBusMastering"=hex:00,00,00,00

)"));
  EXPECT_EQ(ReadBusMastering(machine.context), 0);
}

TEST(BusMastering, NewDriversKeepItPerBoard) {
  SettingsMachine machine(R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Device0]
"D00"=hex:20,05,00,00,00,00,7d,21
"D01"=hex:25,05,00,00,00,00,7d,21
"D00.Engine.BusMastering"=hex:01,00,00,00

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Device1]

)",
                          {kPlatformWin2kXp, kFamilyQx2, {5, 70}});
  EXPECT_TRUE(WriteBusMastering(machine.context, 0));
  // Device0 names our board as D01; Device1 has no records, so board 00.
  EXPECT_EQ(machine.Export("System\\CurrentControlSet\\Services\\QX2"),
            Reg(R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Device0]
"D00"=hex:20,05,00,00,00,00,7d,21
"D01"=hex:25,05,00,00,00,00,7d,21
"D00.Engine.BusMastering"=hex:01,00,00,00
"D01.Engine.BusMastering"=hex:00,00,00,00

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Device1]
"D00.Engine.BusMastering"=hex:00,00,00,00

)"));
  EXPECT_EQ(ReadOnly(machine, [&] { return ReadBusMastering(machine.context); }), 0);
}

// The reader walks every "Device" key of the single-else-dual search; the last one read wins.
TEST(BusMastering, Win2kReaderTakesTheLastDeviceKey) {
  SettingsMachine machine(R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Device0]
"User.UseBusMastering"=hex:00,00,00,00

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Device1]
"User.UseBusMastering"=hex:01,00,00,00

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Device2]
"User.UseBusMastering"=hex:07,00,00,00

)",
                          {kPlatformWin2kXp, kFamilyQx2, {5, 69}});
  EXPECT_EQ(ReadOnly(machine, [&] { return ReadBusMastering(machine.context); }), 1);
  // The dual-display PCI board has no keys in that search: the default.
  SettingsMachine pci(R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Device0]
"User.UseBusMastering"=hex:00,00,00,00

)",
                      {kPlatformWin2kXp, kFamilyQx2eDuoPci, {5, 69}});
  EXPECT_EQ(ReadOnly(pci, [&] { return ReadBusMastering(pci.context); }), 1);
}

// The vertical-sync reader looks at "Device0" only.
TEST(FlipOnVBlank, Win2kReaderIgnoresTheSecondHead) {
  SettingsMachine machine(R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Device0]
"User3D.FlipOnVBlank"=hex:01,00,00,00

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Device1]
"User3D.FlipOnVBlank"=hex:00,00,00,00

)",
                          {kPlatformWin2kXp, kFamilyQx2, {5, 70}});
  EXPECT_EQ(ReadOnly(machine, [&] { return ReadFlipOnVBlank(machine.context); }), 1);
}

TEST(FlagSettings, ByteZeroDecidesOnlyWhenItIsZeroOrOne) {
  struct Case {
    const char* data;
    std::int32_t expected;
  };
  const std::vector<Case> cases = {{"hex:00,00,00,00", 0}, {"hex:01,00,00,00", 1},
                                   {"hex:00,ff,ff,ff", 0}, {"hex:02,00,00,00", 1},
                                   {"hex:ff,00,00,00", 1}, {"dword:00000000", 0},
                                   {"dword:00000100", 0},  {"\"0\"", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data);
    SettingsMachine machine(
        std::string("[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\qxg64\\Device0]\n") +
            "\"User.DeviceBitmaps\"=" + c.data + "\n\n",
        {kPlatformNt4, kFamilyQx2, {}});
    EXPECT_EQ(ReadOnly(machine, [&] { return ReadBitmapCaching(machine.context); }), c.expected);
  }
}

TEST(FlagSettings, Nt4UsesQxg64AndHasNoVerticalSync) {
  SettingsMachine machine(kQx2AndQxg64, {kPlatformNt4, kFamilyQx2, {5, 70}});
  const std::string before = machine.Export();
  EXPECT_EQ(ReadOnly(machine, [&] { return ReadFlipOnVBlank(machine.context); }), kUnchanged);
  EXPECT_FALSE(WriteFlipOnVBlank(machine.context, 1));
  EXPECT_EQ(machine.Export(), before);

  EXPECT_TRUE(WriteBusMastering(machine.context, 0));
  EXPECT_TRUE(WriteBitmapCaching(machine.context, 0));
  EXPECT_EQ(machine.Export(kQxg64Device0),
            Reg(R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\qxg64\Device0]
"User.UseBusMastering"=hex:00,00,00,00
"User.DeviceBitmaps"=hex:00,00,00,00

)"));
  EXPECT_EQ(machine.Export(kQx2Device0),
            Reg("[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\QX2\\Device0]\n\n"));
  EXPECT_EQ(ReadBusMastering(machine.context), 0);
  EXPECT_EQ(ReadBitmapCaching(machine.context), 0);
}

TEST(FlagSettings, WritersFailWithoutADeviceKey) {
  SettingsMachine machine("[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\QX2]\n\n",
                          {kPlatformWin2kXp, kFamilyQx2, {5, 70}});
  EXPECT_FALSE(WriteFlipOnVBlank(machine.context, 0));
  EXPECT_FALSE(WriteBusMastering(machine.context, 0));
  EXPECT_FALSE(WriteBitmapCaching(machine.context, 0));
  EXPECT_EQ(machine.Export("System\\CurrentControlSet\\Services\\QX2"),
            Reg("[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\QX2]\n\n"));
}

// Only 0 and 1 are choices; anything else is refused untouched.
TEST(FlagSettings, WritersRefuseValuesOtherThanZeroAndOne) {
  for (PlatformKind platform : {kPlatform9x, kPlatformNt4, kPlatformWin2kXp}) {
    SettingsMachine machine(
        std::string(kQx2AndQxg64) +
            "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Display\\0000]\n"
            "\"DriverDesc\"=\"Quillex\"\n\n",
        {platform, kFamilyQx2, {}});
    const std::string before = machine.Export();
    for (std::int32_t value : {2, -1, kUnchanged}) {
      EXPECT_FALSE(WriteFlipOnVBlank(machine.context, value));
      EXPECT_FALSE(WriteBusMastering(machine.context, value));
      EXPECT_FALSE(WriteBitmapCaching(machine.context, value));
    }
    EXPECT_EQ(machine.Export(), before);
  }
}

// Windows 98/ME: texts below "Settings", created where missing.
constexpr const char* k9xInstance =
    R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0000]
"DriverDesc"="Quillex Solace QX2"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0000\Settings]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0000\Settings\GDI]
"DeviceBitmapsCaching"="1"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0001]
"DriverDesc"="Quillex Solace QX2 head 2"

)";

TEST(FlagSettings, On9xWritesTextsBelowSettings) {
  SettingsMachine machine(k9xInstance, {kPlatform9x, kFamilyQx2, {}});
  EXPECT_TRUE(WriteFlipOnVBlank(machine.context, 0));
  EXPECT_TRUE(WriteBusMastering(machine.context, 1));
  EXPECT_TRUE(WriteBitmapCaching(machine.context, 0));
  EXPECT_EQ(machine.Export("System\\CurrentControlSet\\Services\\Class\\Display"),
            Reg(R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0000]
"DriverDesc"="Quillex Solace QX2"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0000\Settings]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0000\Settings\DirectX]
"FlipOnVBlank"="0"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0000\Settings\Engine]
"BusMastering"="1"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0000\Settings\GDI]
"DeviceBitmapsCaching"="0"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0001]
"DriverDesc"="Quillex Solace QX2 head 2"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0001\Settings]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0001\Settings\DirectX]
"FlipOnVBlank"="0"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0001\Settings\Engine]
"BusMastering"="1"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0001\Settings\GDI]
"DeviceBitmapsCaching"="0"

)"));
  EXPECT_EQ(ReadFlipOnVBlank(machine.context), 0);
  EXPECT_EQ(ReadBusMastering(machine.context), 1);
  EXPECT_EQ(ReadBitmapCaching(machine.context), 0);
}

TEST(FlagSettings, On9xReadsTextsWithDefaults) {
  struct Case {
    const char* sub_key;
    const char* data;  // nullptr = value absent, key present
    std::function<std::int32_t(const SettingsContext&)> read;
    std::int32_t expected;
  };
  const std::vector<Case> cases = {
      {"DirectX", "\"0\"", ReadFlipOnVBlank, 0}, {"DirectX", "\"1\"", ReadFlipOnVBlank, 1},
      {"DirectX", "\"2\"", ReadFlipOnVBlank, 1}, {"DirectX", nullptr, ReadFlipOnVBlank, 1},
      {"Engine", "\"0\"", ReadBusMastering, 0},  {"Engine", nullptr, ReadBusMastering, 1},
      {"Engine", "\"x\"", ReadBusMastering, 1},  {"GDI", "\"0\"", ReadBitmapCaching, 0},
      {"GDI", nullptr, ReadBitmapCaching, 1},    {"GDI", "hex:30", ReadBitmapCaching, 0},
  };
  const std::map<std::string, std::string> names = {
      {"DirectX", "FlipOnVBlank"}, {"Engine", "BusMastering"}, {"GDI", "DeviceBitmapsCaching"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.sub_key << " " << (c.data ? c.data : "absent"));
    std::string body =
        "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Display\\0000]\n"
        "\"DriverDesc\"=\"Quillex\"\n\n"
        "[HKEY_LOCAL_"
        "MACHINE\\System\\CurrentControlSet\\Services\\Class\\Display\\0000\\Settings\\" +
        std::string(c.sub_key) + "]\n";
    if (c.data) body += "\"" + names.at(c.sub_key) + "\"=" + c.data + "\n";
    SettingsMachine machine(body + "\n", {kPlatform9x, kFamilyQx2, {}});
    EXPECT_EQ(ReadOnly(machine, [&] { return c.read(machine.context); }), c.expected);
  }
}

// "Settings" is created before the sub-key below it; existing keys are
// only opened.
TEST(FlagSettings, On9xCreatesSettingsThenItsSubKey) {
  SettingsMachine machine(
      R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0000]
"DriverDesc"="Quillex"

)",
      {kPlatform9x, kFamilyQx2, {}});
  RecordingRegistry recording(machine.registry());
  const std::string instance = "System\\CurrentControlSet\\Services\\Class\\Display\\0000";
  EXPECT_TRUE(WriteBusMastering(machine.ContextOver(recording), 0));
  EXPECT_EQ(recording.log, (std::vector<std::string>{"create " + instance + "\\Settings",
                                                     "create " + instance + "\\Settings\\Engine",
                                                     "set BusMastering"}));
  EXPECT_EQ(machine.Data(instance + "\\Settings\\Engine", "BusMastering"), std::string("0\0", 2));
}

// Bus mastering reads as on when the first instance forces it off and the
// second has the key without the value.
TEST(BusMastering, On9xAbsentValueReadsAsOn) {
  SettingsMachine machine(
      R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0000]
"DriverDesc"="Quillex A"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0000\Settings\Engine]
"BusMastering"="0"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0001]
"DriverDesc"="Quillex B"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0001\Settings\Engine]

)",
      {kPlatform9x, kFamilyQx2, {}});
  EXPECT_EQ(ReadOnly(machine, [&] { return ReadBusMastering(machine.context); }), 1);
}

}  // namespace
}  // namespace tunora
