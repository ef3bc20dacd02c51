// Per-board records in a device key and the per-board value names.
#include <gtest/gtest.h>

#include <string>

#include "registry/reg_access.h"
#include "settings/driver_keys.h"
#include "tests/settings/settings_test_machine.h"

namespace tunora {
namespace {

constexpr std::string_view kDevice0 = "System\\CurrentControlSet\\Services\\QX2\\Device0";
constexpr BoardIds kOurBoard = {kOurDevice, kOurSubsystem};

// The records as REGEDIT4 lines below the QX2 device key.
std::optional<int> Find(std::string_view records) {
  SettingsMachine machine(
      "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\QX2\\Device0]\n" +
      std::string(records) + "\n");
  return ReadOnly(machine, [&] {
    const RegHandle key = RegHandle::Open(machine.registry(), kDevice0);
    EXPECT_TRUE(key);
    return FindBoardEntry(machine.registry(), key.key(), kOurBoard);
  });
}

TEST(FindBoardEntry, ReturnsTheFirstRecordNamingOurBoard) {
  struct Case {
    const char* what;
    std::string records;
    std::optional<int> expected;
  };
  const std::vector<Case> cases = {
      {"other board, ours, another",
       "\"D00\"=hex:20,05,00,00,00,00,7d,21\n"
       "\"D01\"=hex:25,05,00,00,00,00,7d,21\n"
       "\"D02\"=hex:25,05,00,00,00,00,99,21\n",
       1},
      {"ours twice", "\"D03\"=hex:25,05,11,22,33,44,7d,21\n\"D07\"=hex:25,05,0,0,0,0,7d,21\n", 3},
      {"device id matches, subsystem not", "\"D00\"=hex:25,05,00,00,00,00,7e,21\n", std::nullopt},
      {"subsystem matches, device not", "\"D00\"=hex:26,05,00,00,00,00,7d,21\n", std::nullopt},
      {"from D10 on two digits", "\"D10\"=hex:25,05,00,00,00,00,7d,21\n", 10},
      {"D99 is the last", "\"D99\"=hex:25,05,00,00,00,00,7d,21\n", 99},
      {"no records", "", std::nullopt},
      {"single-digit name is not a record", "\"D1\"=hex:25,05,00,00,00,00,7d,21\n", std::nullopt},
      {"D100 is past the last", "\"D100\"=hex:25,05,00,00,00,00,7d,21\n", std::nullopt},
      {"nine bytes do not read",
       "\"D00\"=hex:25,05,00,00,00,00,7d,21,00\n\"D01\"=hex:25,05,00,00,00,00,7d,21\n", 1},
      {"seven bytes are too short", "\"D00\"=hex:25,05,00,00,00,00,7d\n", std::nullopt},
      {"empty record", "\"D00\"=hex:\n", std::nullopt},
      {"a number is too short", "\"D00\"=dword:00000525\n", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Find(c.records), c.expected);
  }
}

// One hundred records of other boards and ours as the hundred-and-first:
// the walk ends at D99.
TEST(FindBoardEntry, LooksAtOneHundredRecords) {
  std::string records;
  for (int i = 0; i < 100; ++i) {
    records += "\"" + BoardRecordName(i) + "\"=hex:20,05,00,00,00,00,7d,21\n";
  }
  EXPECT_EQ(Find(records + "\"D100\"=hex:25,05,00,00,00,00,7d,21\n"), std::nullopt);
  records += "\"D99\"=hex:25,05,00,00,00,00,7d,21\n";  // replaces the last one
  EXPECT_EQ(Find(records), 99);
}

TEST(BoardNames, RecordsAndPerBoardValues) {
  EXPECT_EQ(BoardRecordName(0), "D00");
  EXPECT_EQ(BoardRecordName(9), "D09");
  EXPECT_EQ(BoardRecordName(10), "D10");
  EXPECT_EQ(BoardRecordName(99), "D99");
  EXPECT_EQ(BoardValueName("D00.Qxg.AGPFlags", 1), "D01.Qxg.AGPFlags");
  EXPECT_EQ(BoardValueName("D00.Engine.BusMastering", 42), "D42.Engine.BusMastering");
  EXPECT_EQ(BoardValueName("D00.Qxg.AGPFlags", 0), "D00.Qxg.AGPFlags");
}

}  // namespace
}  // namespace tunora
