// The OpenGL optimisation preset: the six values each choice writes, how
// they read back, and the messages when the driver's base key is missing.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "resources/strings.h"
#include "settings/catalog.h"
#include "tests/settings/recording_registry.h"
#include "tests/settings/settings_test_machine.h"

namespace tunora {
namespace {

constexpr std::string_view kServices = "SYSTEM\\CurrentControlSet\\Services";
const MachineSetup kWin2kQx2 = {kPlatformWin2kXp, kFamilyQx2, {5, 70}};

// QX1 and qxg64 are installed without device keys: the writer creates
// "Device0" below them.
constexpr const char* kWin2kDriver = R"([HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\QX1]

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\QX2\Device0]
"User3D.AllowGDI"=dword:00000005
"Qxg.AGPFlags"=hex:04,01,00,00

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\qxg64]

)";

// The six values of a device key as REGEDIT4 lines, in the order written.
struct Six {
  int page_flip, swap_flags, swap_enable, allow_gdi, bit16, fast_z;
};

std::string SixLines(const Six& six) {
  const auto line = [](const char* name, int value) {
    char data[16];
    std::snprintf(data, sizeof data, "%08x", value);
    return "\"" + std::string(name) + "\"=dword:" + data + "\n";
  };
  return line("User3D.PageFlipEnable", six.page_flip) +
         line("User3D.SwapIntervalExtFlags", six.swap_flags) +
         line("User3D.SwapIntervalExtEnable", six.swap_enable) +
         line("User3D.AllowGDI", six.allow_gdi) + line("User3D.16BitTextures", six.bit16) +
         line("User3D.FastZOffset", six.fast_z);
}

std::string Win2kKeysWith(const std::string& qx2_lines, const std::string& other_lines) {
  return Reg(
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services]\n\n"
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\QX1]\n\n"
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\QX1\\Device0]\n" +
      other_lines +
      "\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\QX2]\n\n"
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\QX2\\Device0]\n"
      "\"Qxg.AGPFlags\"=hex:04,01,00,00\n" +
      qx2_lines +
      "\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\qxg64]\n\n"
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\qxg64\\Device0]\n" +
      other_lines + "\n");
}

TEST(WriteOglPreset, SpeedAndAccuracyOn2000) {
  struct Case {
    std::int32_t preset;
    Six six;
  };
  const std::vector<Case> cases = {{kOglSpeed, {1, 9, 0, 0, 1, 1}},
                                   {kOglAccuracy, {1, 9, 1, 1, 0, 0}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.preset);
    SettingsMachine machine(kWin2kDriver, kWin2kQx2);
    const OglPresetChoice choice = {c.preset, 1, kVsyncApplicationDecides, 0};
    EXPECT_TRUE(WriteOglPreset(machine.context, choice));
    // The old AllowGDI is deleted first, so the six come in write order.
    EXPECT_EQ(machine.Export(kServices), Win2kKeysWith(SixLines(c.six), SixLines(c.six)));
    EXPECT_TRUE(machine.ui.messages.empty());

    // Read back and applied unchanged: the same values, the same preset.
    const OglPresetChoice read = ReadOnly(machine, [&] { return ReadOglPreset(machine.context); });
    EXPECT_EQ(read, choice);
    const std::string written = machine.Export();
    EXPECT_TRUE(WriteOglPreset(machine.context, read));
    EXPECT_EQ(machine.Export(), written);
  }
}

// What the speed and accuracy steps write for choices the pages never hand over.
TEST(WriteOglPreset, SpeedStepsCarryTheByteAlong) {
  struct Case {
    OglPresetChoice choice;
    Six six;
  };
  const std::vector<Case> cases = {
      {{kOglSpeed, 0, kVsyncAlwaysOff, kUnchanged}, {0, 9, 9, 0, 1, 1}},
      {{kOglSpeed, 1, kVsyncAlwaysOn, 1}, {1, 1, 1, 0, 1, 1}},
      {{kOglAccuracy, 7, kUnchanged, kUnchanged}, {0, 0, 0, 1, 0, 0}},
      {{kOglAccuracy, 1, kVsyncApplicationDecides, kUnchanged}, {1, 1, 1, 1, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.choice.preset << " F" << c.choice.page_flipping << " V"
                                    << c.choice.vsync_mode << " A" << c.choice.app_default);
    SettingsMachine machine("[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\qxg64]\n\n",
                            {kPlatformNt4, kFamilyQx2, {}});
    EXPECT_TRUE(WriteOglPreset(machine.context, c.choice));
    EXPECT_EQ(machine.Export("SYSTEM\\CurrentControlSet\\Services\\qxg64\\Device0"),
              Reg("[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\qxg64\\Device0]\n" +
                  SixLines(c.six) + "\n"));
  }
}

TEST(WriteOglPreset, CustomChoicesWriteAndReadBack) {
  struct Case {
    OglPresetChoice choice;
    std::string lines;
    OglPresetChoice read;
  };
  const auto pf = [](int v) {
    return "\"User3D.PageFlipEnable\"=dword:0000000" + std::to_string(v) + "\n";
  };
  const auto flags = [](int v) {
    return "\"User3D.SwapIntervalExtFlags\"=dword:0000000" + std::to_string(v) + "\n";
  };
  const auto enable = [](int v) {
    return "\"User3D.SwapIntervalExtEnable\"=dword:0000000" + std::to_string(v) + "\n";
  };
  const std::vector<Case> cases = {
      {{kOglCustom, 0, kUnchanged, kUnchanged}, pf(0), {kOglCustom, 0, kUnchanged, kUnchanged}},
      // Block transfers ignore the vertical-sync choice.
      {{kOglCustom, 0, kVsyncAlwaysOn, 1}, pf(0), {kOglCustom, 0, kUnchanged, kUnchanged}},
      {{kOglCustom, 1, kVsyncAlwaysOff, kUnchanged},
       pf(1) + flags(9) + enable(0),
       {kOglCustom, 1, kVsyncAlwaysOff, kUnchanged}},
      {{kOglCustom, 1, kVsyncAlwaysOn, kUnchanged},
       pf(1) + flags(1) + enable(0),
       {kOglCustom, 1, kVsyncAlwaysOn, kUnchanged}},
      {{kOglCustom, 1, kVsyncApplicationDecides, 0},
       pf(1) + flags(9) + enable(1),
       {kOglCustom, 1, kVsyncApplicationDecides, 0}},
      {{kOglCustom, 1, kVsyncApplicationDecides, 1},
       pf(1) + flags(1) + enable(1),
       {kOglCustom, 1, kVsyncApplicationDecides, 1}},
      // Page flipping with no vertical-sync choice keeps the byte at 1.
      {{kOglCustom, 1, kUnchanged, kUnchanged},
       pf(1) + flags(1) + enable(0),
       {kOglCustom, 1, kVsyncAlwaysOn, kUnchanged}},
      // Anything but 0 or 1 for page flipping stores nothing.
      {{kOglCustom, 2, kVsyncAlwaysOn, 1}, "", {}},
      {{5, 1, kVsyncAlwaysOn, 1}, "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.choice.preset << " F" << c.choice.page_flipping << " V"
                                    << c.choice.vsync_mode << " A" << c.choice.app_default);
    SettingsMachine machine(kWin2kDriver, kWin2kQx2);
    EXPECT_TRUE(WriteOglPreset(machine.context, c.choice));
    EXPECT_EQ(machine.Export(kServices), Win2kKeysWith(c.lines, c.lines));
    const OglPresetChoice read = ReadOnly(machine, [&] { return ReadOglPreset(machine.context); });
    EXPECT_EQ(read, c.read);
    // What was read, applied again, stores the same.
    EXPECT_TRUE(WriteOglPreset(machine.context, read));
    EXPECT_EQ(machine.Export(kServices), Win2kKeysWith(c.lines, c.lines));
  }
}

TEST(WriteOglPreset, Nt4WritesQxg64Only) {
  SettingsMachine machine(R"([HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\QX2\Device0]

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\qxg64]

)",
                          {kPlatformNt4, kFamilyQx2, {}});
  EXPECT_TRUE(WriteOglPreset(machine.context, {kOglSpeed, 1, kVsyncApplicationDecides, 0}));
  EXPECT_EQ(machine.Export(kServices),
            Reg("[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services]\n\n"
                "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\QX2]\n\n"
                "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\QX2\\Device0]\n\n"
                "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\qxg64]\n\n"
                "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\qxg64\\Device0]\n" +
                SixLines({1, 9, 0, 0, 1, 1}) + "\n"));
  EXPECT_EQ(ReadOglPreset(machine.context).preset, kOglSpeed);
  // The NT 4 reader covers the QX1 AGP and QX2 families only.
  machine.context.chip_family = kFamilyQx2e;
  EXPECT_EQ(ReadOglPreset(machine.context), OglPresetChoice{});
}

TEST(WriteOglPreset, On9xWritesTheThreeProfileKeys) {
  SettingsMachine machine(R"([HKEY_LOCAL_MACHINE\Software\Quillex]

[HKEY_LOCAL_MACHINE\Software\Quillex\Panelix\Version5]
"Other"="kept"

)",
                          {kPlatform9x, kFamilyQx2, {}});
  EXPECT_TRUE(WriteOglPreset(machine.context, {kOglAccuracy, 1, kVsyncApplicationDecides, 0}));
  const std::string six = SixLines({1, 9, 1, 1, 0, 0});
  EXPECT_EQ(
      machine.Export("Software\\Quillex"),
      Reg("[HKEY_LOCAL_MACHINE\\Software\\Quillex]\n\n"
          "[HKEY_LOCAL_MACHINE\\Software\\Quillex\\Panelix]\n\n"
          "[HKEY_LOCAL_MACHINE\\Software\\Quillex\\Panelix\\Current Settings]\n" +
          six +
          "\n[HKEY_LOCAL_MACHINE\\Software\\Quillex\\Panelix\\Version5]\n\"Other\"=\"kept\"\n\n"
          "[HKEY_LOCAL_MACHINE\\Software\\Quillex\\Panelix\\Version5\\CurrentSettings]\n" +
          six +
          "\n[HKEY_LOCAL_MACHINE\\Software\\Quillex\\Panelix\\Version6]\n\n"
          "[HKEY_LOCAL_MACHINE\\Software\\Quillex\\Panelix\\Version6\\CurrentSettings]\n" +
          six + "\n"));
  EXPECT_EQ(ReadOglPreset(machine.context), (OglPresetChoice{kOglAccuracy, 1, 3, 0}));
}

TEST(WriteOglPreset, MessagesWhenTheBaseKeyIsMissing) {
  struct Case {
    const char* what;
    std::string body;
    MachineSetup setup;
    const char* message;
  };
  const char* nt_message =
      "ERROR: Quillex Panelix May Not Be installed.\nPlease Reinstall Quillex driver(s)!";
  const char* x9_message =
      "ERROR: Registry error. \nQuillex Panelix May Not Be installed.\nPlease Reinstall Quillex "
      "Panelix!";
  const std::vector<Case> cases = {
      {"2000 without Services", "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet]\n\n", kWin2kQx2,
       nt_message},
      {"NT 4 without Services", "", {kPlatformNt4, kFamilyQx2, {}}, nt_message},
      {"2000, not an administrator",
       kWin2kDriver,
       {kPlatformWin2kXp, kFamilyQx2, {}, false},
       nt_message},
      {"98 without the maker's software key",
       "[HKEY_LOCAL_MACHINE\\Software\\Other]\n\n",
       {kPlatform9x, kFamilyQx2, {}},
       x9_message},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SettingsMachine machine(c.body, c.setup);
    const std::string before = machine.Export();
    EXPECT_FALSE(WriteOglPreset(machine.context, {kOglSpeed, 1, kVsyncApplicationDecides, 0}));
    EXPECT_EQ(machine.ui.messages,
              (std::vector<FakeUi::Message>{{c.message, std::string(kProgramName), kMbOk}}));
    EXPECT_EQ(machine.Export(), before);
  }
}

// The base key opens but no key of the list can be made: nothing is
// written, and the writer says so without a message.
TEST(WriteOglPreset, FailsQuietlyWhenNoKeyCanBeCreated) {
  SettingsMachine machine("[HKEY_LOCAL_MACHINE\\Software\\Quillex]\n\n",
                          {kPlatform9x, kFamilyQx2, {}});
  RecordingRegistry recording(machine.registry());
  recording.refused_paths = {"Software\\Quillex\\Panelix\\",
                             "Software\\Quillex\\Panelix\\Version5\\",
                             "Software\\Quillex\\Panelix\\Version6\\"};
  const SettingsContext refusing = machine.ContextOver(recording);
  EXPECT_FALSE(WriteOglPreset(refusing, {kOglSpeed, 1, 3, 0}));
  EXPECT_TRUE(machine.ui.messages.empty());
}

// Reading: which stored combinations give which preset.
TEST(ReadOglPreset, DecodesTheStoredValues) {
  struct Case {
    const char* what;
    std::vector<std::pair<const char*, int>> values;
    OglPresetChoice expected;
  };
  const OglPresetChoice defaults;
  const std::vector<Case> cases = {
      {"nothing stored", {}, defaults},
      {"page flip alone, 1", {{"PageFlipEnable", 1}}, defaults},
      {"page flip 0 with enable", {{"PageFlipEnable", 0}, {"SwapIntervalExtEnable", 0}}, defaults},
      {"page flip 0 with allow-GDI", {{"PageFlipEnable", 0}, {"AllowGDI", 0}}, defaults},
      {"flags without enable", {{"PageFlipEnable", 1}, {"SwapIntervalExtFlags", 9}}, defaults},
      {"enable without page flip",
       {{"SwapIntervalExtFlags", 9}, {"SwapIntervalExtEnable", 0}},
       defaults},
      {"custom, unknown flags",
       {{"PageFlipEnable", 1}, {"SwapIntervalExtFlags", 5}, {"SwapIntervalExtEnable", 0}},
       {kOglCustom, 1, kUnchanged, kUnchanged}},
      {"custom, unknown enable",
       {{"PageFlipEnable", 1}, {"SwapIntervalExtFlags", 9}, {"SwapIntervalExtEnable", 2}},
       {kOglCustom, 1, kUnchanged, kUnchanged}},
      {"custom with page flip 0 and flags",
       {{"PageFlipEnable", 0}, {"SwapIntervalExtFlags", 1}, {"SwapIntervalExtEnable", 1}},
       {kOglCustom, 1, kVsyncApplicationDecides, 1}},
      {"one tuning value only",
       {{"PageFlipEnable", 1},
        {"SwapIntervalExtFlags", 9},
        {"SwapIntervalExtEnable", 0},
        {"FastZOffset", 1}},
       defaults},
      {"speed with flags 1",
       {{"PageFlipEnable", 1},
        {"SwapIntervalExtFlags", 1},
        {"SwapIntervalExtEnable", 0},
        {"AllowGDI", 0},
        {"16BitTextures", 1},
        {"FastZOffset", 1}},
       defaults},
      {"speed with page flip 0",
       {{"PageFlipEnable", 0},
        {"SwapIntervalExtFlags", 9},
        {"SwapIntervalExtEnable", 0},
        {"AllowGDI", 0},
        {"16BitTextures", 1},
        {"FastZOffset", 1}},
       defaults},
      {"mixed tuning",
       {{"PageFlipEnable", 1},
        {"SwapIntervalExtFlags", 9},
        {"SwapIntervalExtEnable", 1},
        {"AllowGDI", 1},
        {"16BitTextures", 1},
        {"FastZOffset", 0}},
       defaults},
      {"speed",
       {{"PageFlipEnable", 1},
        {"SwapIntervalExtFlags", 9},
        {"SwapIntervalExtEnable", 0},
        {"AllowGDI", 0},
        {"16BitTextures", 1},
        {"FastZOffset", 1}},
       {kOglSpeed, 1, kVsyncApplicationDecides, 0}},
      {"speed, bytes above the first ignored",
       {{"PageFlipEnable", 0x101},
        {"SwapIntervalExtFlags", 0x209},
        {"SwapIntervalExtEnable", 0x300},
        {"AllowGDI", 0x400},
        {"16BitTextures", 0x501},
        {"FastZOffset", 0x601}},
       {kOglSpeed, 1, kVsyncApplicationDecides, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string body = "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\QX2\\Device0]\n";
    for (const auto& [name, value] : c.values) {
      char data[16];
      std::snprintf(data, sizeof data, "%08x", value);
      body += "\"User3D." + std::string(name) + "\"=dword:" + data + "\n";
    }
    SettingsMachine machine(body + "\n", kWin2kQx2);
    EXPECT_EQ(ReadOnly(machine, [&] { return ReadOglPreset(machine.context); }), c.expected);
  }
}

// A QX2-family board on 2000/XP reads the preset where the writer put it:
// the single driver's key while that service exists, else the dual
// driver's; with both drivers installed the preset written reads back.
TEST(ReadOglPreset, Win2kReadsTheKeyTheWriterWrites) {
  const std::string speed = SixLines({1, 9, 0, 0, 1, 1});
  const std::string accuracy = SixLines({1, 9, 1, 1, 0, 0});
  const std::string services = "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\";
  for (const std::string& installed :
       {services + "QX2]\n\n" + services + "QX2DUO]\n\n", services + "QX2DUO]\n\n"}) {
    SCOPED_TRACE(installed);
    SettingsMachine machine(installed, kWin2kQx2);
    ASSERT_TRUE(WriteOglPreset(machine.context, {kOglAccuracy, 1, kVsyncApplicationDecides, 0}));
    EXPECT_EQ(ReadOnly(machine, [&] { return ReadOglPreset(machine.context).preset; }),
              kOglAccuracy);
  }
  SettingsMachine single(
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\QX2\\Device0]\n" + speed + "\n",
      kWin2kQx2);
  EXPECT_EQ(ReadOnly(single, [&] { return ReadOglPreset(single.context).preset; }), kOglSpeed);
  SettingsMachine qx1(
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\QX1\\Device0]\n" + accuracy + "\n",
      {kPlatformWin2kXp, kFamilyQx1SolasePci, {}});
  EXPECT_EQ(ReadOnly(qx1, [&] { return ReadOglPreset(qx1.context).preset; }), kOglAccuracy);
}

TEST(ReadOglPreset, On9xNeedsTheProfileParents) {
  const std::string speed = SixLines({1, 9, 0, 0, 1, 1});
  SettingsMachine machine(
      "[HKEY_LOCAL_MACHINE\\Software\\Quillex\\Panelix\\Current Settings]\n" + speed +
          "\n[HKEY_LOCAL_MACHINE\\Software\\Quillex\\Panelix\\Version6\\CurrentSettings]\n" +
          SixLines({1, 9, 1, 1, 0, 0}) + "\n",
      {kPlatform9x, kFamilyQx2, {}});
  EXPECT_EQ(ReadOnly(machine, [&] { return ReadOglPreset(machine.context).preset; }), kOglSpeed);
}

}  // namespace
}  // namespace tunora
