// AGP transfer mode on each road: the bytes and texts written, and how
// they read back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/catalog.h"
#include "tests/settings/settings_test_machine.h"

namespace tunora {
namespace {

constexpr std::string_view kQx2 = "System\\CurrentControlSet\\Services\\QX2";
constexpr std::string_view kQxg64 = "System\\CurrentControlSet\\Services\\qxg64";
const MachineSetup kWin2k570 = {kPlatformWin2kXp, kFamilyQx2, {5, 70}};
const MachineSetup kNt4Qx2 = {kPlatformNt4, kFamilyQx2, {}};

// Driver 5.70 with three board records: another board, ours, and a third.
constexpr const char* kThreeBoards = R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Device0]
"D00"=hex:20,05,00,00,00,00,7d,21
"D00.Qxg.AGPFlags"=hex:04,01,00,00
"D01"=hex:25,05,00,00,00,00,7d,21
"D01.Qxg.AGPFlags"=hex:04,01,00,00
"D02"=hex:25,05,00,00,00,00,99,99
"D02.Qxg.AGPFlags"=hex:04,01,00,00
"Qxg.AGPFlags"=hex:04,01,00,00

)";

TEST(WriteAgpMode, Win2kRefreshesBoardCopiesUpToOurs) {
  SettingsMachine machine(kThreeBoards, kWin2k570);
  EXPECT_TRUE(WriteAgpMode(machine.context, kAgp2x));
  EXPECT_EQ(machine.Export(kQx2), Reg(R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Device0]
"D00"=hex:20,05,00,00,00,00,7d,21
"D00.Qxg.AGPFlags"=hex:02,00,00,00
"D01"=hex:25,05,00,00,00,00,7d,21
"D01.Qxg.AGPFlags"=hex:02,00,00,00
"D02"=hex:25,05,00,00,00,00,99,99
"D02.Qxg.AGPFlags"=hex:04,01,00,00
"Qxg.AGPFlags"=hex:02,00,00,00

)"));
}

// Without a copy for board 00 the per-board values are left alone, and a
// missing per-board value is never created.
TEST(WriteAgpMode, Win2kWithoutBoardCopiesWritesTheCommonValue) {
  SettingsMachine machine(R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Device0]
"D01"=hex:25,05,00,00,00,00,7d,21
"D01.Qxg.AGPFlags"=hex:04,01,00,00

)",
                          kWin2k570);
  EXPECT_TRUE(WriteAgpMode(machine.context, kAgp1x));
  EXPECT_EQ(machine.Export(kQx2), Reg(R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Device0]
"D01"=hex:25,05,00,00,00,00,7d,21
"D01.Qxg.AGPFlags"=hex:04,01,00,00
"Qxg.AGPFlags"=hex:01,00,00,00

)"));
}

TEST(WriteAgpMode, Win2kNoRecordOfOursRefreshesEveryExistingCopy) {
  SettingsMachine machine(R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Device0]
"D00.Qxg.AGPFlags"=hex:04,01,00,00
"D05.Qxg.AGPFlags"=hex:04,01,00,00
"D99.Qxg.AGPFlags"=hex:04,01,00,00

)",
                          kWin2k570);
  EXPECT_TRUE(WriteAgpMode(machine.context, kAgp4x));
  const std::string device0 = std::string(kQx2) + "\\Device0";
  for (const char* name :
       {"D00.Qxg.AGPFlags", "D05.Qxg.AGPFlags", "D99.Qxg.AGPFlags", "Qxg.AGPFlags"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(machine.Data(device0, name), std::string("\x04\0\0\0", 4));
  }
  EXPECT_EQ(machine.Data(device0, "D01.Qxg.AGPFlags"), "<absent>");
}

TEST(WriteAgpMode, ModesAsBytes) {
  struct Case {
    std::int32_t mode;
    std::string bytes;
  };
  const std::vector<Case> cases = {{kAgpDefault, std::string("\x04\x01\0\0", 4)},
                                   {kAgp1x, std::string("\x01\0\0\0", 4)},
                                   {kAgp2x, std::string("\x02\0\0\0", 4)},
                                   {kAgp4x, std::string("\x04\0\0\0", 4)}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    SettingsMachine machine(
        "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\QX2\\Device0]\n\n");
    EXPECT_TRUE(WriteAgpMode(machine.context, c.mode));
    EXPECT_EQ(machine.Data("System\\CurrentControlSet\\Services\\QX2\\Device0", "Qxg.AGPFlags"),
              c.bytes);
  }
}

TEST(WriteAgpMode, FailsWhenNoDeviceKeyIsReached) {
  struct Case {
    const char* what;
    std::string body;
    MachineSetup setup;
  };
  const std::vector<Case> cases = {
      {"no service", "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Tcpip]\n\n",
       kWin2k570},
      {"service without sub-keys",
       "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\QX2]\n\n", kWin2k570},
      {"family without a search",
       "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\QX2\\Device0]\n\n",
       {kPlatformWin2kXp, kFamilyFarview, {5, 70}}},
      {"not an administrator",
       "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\QX2\\Device0]\n\n",
       {kPlatformWin2kXp, kFamilyQx2, {}, false}},
      {"NT 4 without qxg64",
       "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\QX2\\Device0]\n\n", kNt4Qx2},
      {"98 without an instance",
       "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Display]\n\n",
       {kPlatform9x, kFamilyQx2, {}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SettingsMachine machine(c.body, c.setup);
    const std::string before = machine.Export();
    EXPECT_FALSE(WriteAgpMode(machine.context, kAgp2x));
    EXPECT_EQ(machine.Export(), before);
  }
}

// A mode the driver has no bytes for is refused before anything is touched.
TEST(WriteAgpMode, UnknownModeWritesNothing) {
  for (PlatformKind platform : {kPlatform9x, kPlatformNt4, kPlatformWin2kXp}) {
    SettingsMachine machine(kThreeBoards, {platform, kFamilyQx2, {}});
    const std::string before = machine.Export();
    for (std::int32_t mode : {3, 8, kUnchanged, -1}) {
      EXPECT_FALSE(WriteAgpMode(machine.context, mode));
    }
    EXPECT_EQ(machine.Export(), before);
  }
}

TEST(WriteAgpMode, Nt4DropsChipsetOverridesFirst) {
  SettingsMachine machine(R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\qxg64\Device0]
"Qxg.AGPFlags.834"=hex:01,00,00,00
"Other"=dword:00000007
"Qxg.AGPFlags.837"=hex:01,00,00,00
"Qxg.AGPFlags.846"=hex:01,00,00,00
"Qxg.AGPFlags.856"=hex:01,00,00,00
"Qxg.AGPFlags.891"=hex:01,00,00,00
"Qxg.AGPFlags.906"=hex:01,00,00,00
"Qxg.AGPFlags.999"=hex:01,00,00,00

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\qxg64\Enum]

)",
                          kNt4Qx2);
  EXPECT_TRUE(WriteAgpMode(machine.context, kAgpDefault));
  EXPECT_EQ(machine.Export(kQxg64),
            Reg(R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\qxg64]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\qxg64\Device0]
"Other"=dword:00000007
"Qxg.AGPFlags.999"=hex:01,00,00,00
"Qxg.AGPFlags"=hex:04,01,00,00

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\qxg64\Enum]

)"));
}

std::int32_t ReadWith(std::string_view device0_values, MachineSetup setup,
                      std::string_view service = "QX2") {
  SettingsMachine machine("[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\" +
                              std::string(service) + "\\Device0]\n" + std::string(device0_values) +
                              "\n",
                          setup);
  return ReadOnly(machine, [&] { return ReadAgpMode(machine.context); });
}

TEST(ReadAgpMode, DecodesTheBytesOnEachNtPlatform) {
  struct Case {
    const char* bytes;  // REGEDIT4 data of "Qxg.AGPFlags", nullptr = absent
    std::int32_t win2k, nt4_qx2, nt4_qx1;
  };
  const std::vector<Case> cases = {
      {"hex:04,01,00,00", 0, 0, 0}, {"hex:01,00,00,00", 1, 1, 1}, {"hex:02,00,00,00", 2, 2, 2},
      {"hex:04,00,00,00", 0, 4, 0}, {"hex:01,01,00,00", 1, 1, 1}, {"hex:02,01,00,00", 2, 2, 2},
      {"hex:00,00,00,00", 0, 0, 0}, {"hex:03,00,00,00", 0, 0, 0}, {"hex:08,00,00,00", 0, 0, 0},
      {"hex:04,02,00,00", 0, 4, 0}, {"hex:02,00,ff,ff", 2, 2, 2}, {nullptr, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes ? c.bytes : "absent");
    const std::string values = c.bytes ? "\"Qxg.AGPFlags\"=" + std::string(c.bytes) + "\n" : "";
    EXPECT_EQ(ReadWith(values, kWin2k570), c.win2k);
    EXPECT_EQ(ReadWith(values, kNt4Qx2, "qxg64"), c.nt4_qx2);
    EXPECT_EQ(ReadWith(values, {kPlatformNt4, kFamilyQx1Agp, {}}, "qxg64"), c.nt4_qx1);
  }
}

// 2000/XP reads our board's copy; NT 4, whose writer never refreshes the
// copies, reads only the common value.
TEST(ReadAgpMode, Win2kReadsOurBoardsCopyNt4TheCommonValue) {
  struct Case {
    const char* what;
    std::string board_values;
    std::int32_t win2k, nt4;
  };
  const std::vector<Case> cases = {
      {"ours is D01",
       "\"D00\"=hex:20,05,00,00,00,00,7d,21\n\"D00.Qxg.AGPFlags\"=hex:04,01,00,00\n"
       "\"D01\"=hex:25,05,00,00,00,00,7d,21\n\"D01.Qxg.AGPFlags\"=hex:01,00,00,00\n",
       kAgp1x, kAgp2x},
      {"no record of ours: board 00's copy stands in", "\"D00.Qxg.AGPFlags\"=hex:01,00,00,00\n",
       kAgp1x, kAgp2x},
      {"our record but no copy of ours: nothing read",
       "\"D00.Qxg.AGPFlags\"=hex:01,00,00,00\n\"D03\"=hex:25,05,00,00,00,00,7d,21\n", kAgpDefault,
       kAgp2x},
      {"no copies at all", "", kAgp2x, kAgp2x},
  };
  const std::string common = "\"Qxg.AGPFlags\"=hex:02,00,00,00\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ReadWith(c.board_values + common, kWin2k570), c.win2k);
    EXPECT_EQ(ReadWith(c.board_values + common, kNt4Qx2, "qxg64"), c.nt4);
  }
}

// The 2000/XP reader takes the dual driver's "Device0" only.
TEST(ReadAgpMode, Win2kReadsDevice0OfTheDualDriver) {
  SettingsMachine machine(R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Device0]
"Qxg.AGPFlags"=hex:01,00,00,00

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2DUO\Device0]
"Qxg.AGPFlags"=hex:02,00,00,00

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2DUO\Device1]
"Qxg.AGPFlags"=hex:01,00,00,00

)",
                          kWin2k570);
  EXPECT_EQ(ReadOnly(machine, [&] { return ReadAgpMode(machine.context); }), kAgp2x);
}

TEST(ReadAgpMode, WrittenModesReadBack) {
  struct Case {
    MachineSetup setup;
    std::int32_t written, read;
  };
  const std::vector<Case> cases = {
      {kWin2k570, kAgpDefault, kAgpDefault},
      {kWin2k570, kAgp1x, kAgp1x},
      {kWin2k570, kAgp2x, kAgp2x},
      {kWin2k570, kAgp4x, kAgpDefault},
      {kNt4Qx2, kAgp4x, kAgp4x},
      {{kPlatformNt4, kFamilyQx1Agp, {}}, kAgp4x, kAgpDefault},
      {kNt4Qx2, kAgp1x, kAgp1x},
      {kNt4Qx2, kAgpDefault, kAgpDefault},
      {{kPlatform9x, kFamilyQx2, {}}, kAgp4x, kAgp4x},
      {{kPlatform9x, kFamilyQx2, {}}, kAgpDefault, kAgpDefault},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "platform " << int{c.setup.platform} << " family "
                                    << c.setup.family << " mode " << c.written);
    SettingsMachine machine(R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Device0]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\qxg64\Device0]
"D00"=hex:25,05,00,00,00,00,7d,21
"D00.Qxg.AGPFlags"=hex:02,00,00,00

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0000]
"DriverDesc"="Quillex Solace QX2"

)",
                            c.setup);
    ASSERT_TRUE(WriteAgpMode(machine.context, c.written));
    EXPECT_EQ(ReadAgpMode(machine.context), c.read);
  }
}

// Windows 98/ME.
constexpr const char* k9xTwoMakers =
    R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0000]
"DriverDesc"="Quillex Solace QX2 DUO MAX"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0000\Settings\CPU]
"AGPFallback"="1"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0001]
"DriverDesc"="Other Maker"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0002]
"DriverDesc"="Quillex Solace QX2 DUO MAX second head"

)";

TEST(WriteAgpMode, On9xForcedModesReplaceTheFallback) {
  SettingsMachine machine(k9xTwoMakers, {kPlatform9x, kFamilyQx2, {}});
  EXPECT_TRUE(WriteAgpMode(machine.context, kAgp2x));
  EXPECT_EQ(machine.Export("System\\CurrentControlSet\\Services\\Class\\Display"),
            Reg(R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0000]
"DriverDesc"="Quillex Solace QX2 DUO MAX"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0000\Settings]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0000\Settings\CPU]
"AGPFlags"="-1"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0001]
"DriverDesc"="Other Maker"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0002]
"DriverDesc"="Quillex Solace QX2 DUO MAX second head"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0002\Settings]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0002\Settings\CPU]
"AGPFlags"="-1"

)"));
  // "-1" is stored with its terminating zero: three bytes.
  EXPECT_EQ(machine.Data("System\\CurrentControlSet\\Services\\Class\\Display\\0000\\Settings\\CPU",
                         "AGPFlags"),
            std::string("-1\0", 3));
}

TEST(WriteAgpMode, On9xEachModesTexts) {
  struct Case {
    std::int32_t mode;
    std::string flags, fallback;
  };
  const std::vector<Case> cases = {{kAgpDefault, "<absent>", std::string("1\0", 2)},
                                   {kAgp1x, std::string("0\0", 2), "<absent>"},
                                   {kAgp2x, std::string("-1\0", 3), "<absent>"},
                                   {kAgp4x, std::string("-2\0", 3), "<absent>"}};
  const std::string cpu =
      "System\\CurrentControlSet\\Services\\Class\\Display\\0000\\Settings\\CPU";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    SettingsMachine machine(
        R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0000]
"DriverDesc"="Quillex"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0000\Settings\CPU]
"AGPFlags"="-2"
"AGPFallback"="1"

)",
        {kPlatform9x, kFamilyQx2, {}});
    EXPECT_TRUE(WriteAgpMode(machine.context, c.mode));
    EXPECT_EQ(machine.Data(cpu, "AGPFlags"), c.flags);
    EXPECT_EQ(machine.Data(cpu, "AGPFallback"), c.fallback);
  }
}

TEST(ReadAgpMode, On9xTheFallbackWins) {
  struct Case {
    std::string cpu_values;
    std::int32_t expected;
  };
  const std::vector<Case> cases = {
      {"\"AGPFlags\"=\"0\"\n", kAgp1x},
      {"\"AGPFlags\"=\"-1\"\n", kAgp2x},
      {"\"AGPFlags\"=\"-2\"\n", kAgp4x},
      {"\"AGPFlags\"=\"-2\"\n\"AGPFallback\"=\"1\"\n", kAgpDefault},
      {"\"AGPFlags\"=\"-1\"\n\"AGPFallback\"=\"0\"\n", kAgp2x},
      {"\"AGPFlags\"=\"-3\"\n", kAgpDefault},
      {"", kAgpDefault},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cpu_values);
    SettingsMachine machine(
        R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0000]
"DriverDesc"="Quillex"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0000\Settings\CPU]
)" + c.cpu_values +
            "\n",
        {kPlatform9x, kFamilyQx2, {}});
    EXPECT_EQ(ReadOnly(machine, [&] { return ReadAgpMode(machine.context); }), c.expected);
  }
}

// Another maker's instance is never read; of the maker's, the last wins.
TEST(ReadAgpMode, On9xLastInstanceWins) {
  SettingsMachine machine(
      R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0000\Settings\CPU]
"AGPFlags"="0"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0000]
"DriverDesc"="Quillex A"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0001]
"DriverDesc"="Quillex B"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0001\Settings\CPU]
"AGPFlags"="-1"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0002]
"DriverDesc"="Other"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0002\Settings\CPU]
"AGPFlags"="-2"

)",
      {kPlatform9x, kFamilyQx2, {}});
  EXPECT_EQ(ReadOnly(machine, [&] { return ReadAgpMode(machine.context); }), kAgp2x);
}

}  // namespace
}  // namespace tunora
