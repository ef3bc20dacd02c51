// Device keys of one NT service: read and write modes, the fallback for
// foreign sub-keys and the enumeration limits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry/reg_access.h"
#include "settings/driver_keys.h"
#include "tests/settings/settings_test_machine.h"

namespace tunora {
namespace {

constexpr std::string_view kQx2 = "System\\CurrentControlSet\\Services\\QX2";

struct Visit {
  std::vector<std::string> paths;
  bool opened = false;
};

Visit Walk(SettingsMachine& machine, std::string_view prefix, DeviceKeyMode mode,
           std::string_view service = kQx2) {
  Visit visit;
  visit.opened = ForEachDeviceKey(machine.registry(), service, prefix, mode,
                                  [&](RegKey key, const DriverKey& where) {
                                    EXPECT_EQ(where.kind, DriverKeyKind::kNtDevice);
                                    // The visitor gets a usable, open key.
                                    SetNumber(machine.registry(), key, "Visited", 1);
                                    visit.paths.push_back(where.path);
                                  });
  return visit;
}

constexpr const char* kTwoHeadsAndEnum =
    R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Device0]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Device1]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Enum]

)";

TEST(ForEachDeviceKey, WriteModeSendsForeignSubKeysToDevice0) {
  SettingsMachine machine(kTwoHeadsAndEnum);
  const Visit visit = Walk(machine, "Device", DeviceKeyMode::kWrite);
  EXPECT_TRUE(visit.opened);
  EXPECT_EQ(visit.paths,
            (std::vector<std::string>{"System\\CurrentControlSet\\Services\\QX2\\Device0",
                                      "System\\CurrentControlSet\\Services\\QX2\\Device1",
                                      "System\\CurrentControlSet\\Services\\QX2\\Device0"}));
  // "Enum" itself is never written to.
  EXPECT_EQ(machine.Data("System\\CurrentControlSet\\Services\\QX2\\Enum", "Visited"), "<absent>");
}

TEST(ForEachDeviceKey, ReadModeVisitsOnlyNamesWithThePrefix) {
  SettingsMachine machine(kTwoHeadsAndEnum);
  struct Case {
    std::string_view prefix;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"Device0", {"System\\CurrentControlSet\\Services\\QX2\\Device0"}},
      {"Device",
       {"System\\CurrentControlSet\\Services\\QX2\\Device0",
        "System\\CurrentControlSet\\Services\\QX2\\Device1"}},
      {"",
       {"System\\CurrentControlSet\\Services\\QX2\\Device0",
        "System\\CurrentControlSet\\Services\\QX2\\Device1",
        "System\\CurrentControlSet\\Services\\QX2\\Enum"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.prefix);
    const std::vector<std::string> paths = ReadOnly(machine, [&] {
      std::vector<std::string> seen;
      ForEachDeviceKey(machine.registry(), kQx2, c.prefix, DeviceKeyMode::kRead,
                       [&](RegKey, const DriverKey& where) { seen.push_back(where.path); });
      return seen;
    });
    EXPECT_EQ(paths, c.expected);
  }
}

TEST(ForEachDeviceKey, WriteModeCreatesDevice0BesideForeignSubKeys) {
  SettingsMachine machine(R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Enum]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Security]

)");
  const Visit visit = Walk(machine, "Device", DeviceKeyMode::kWrite);
  EXPECT_EQ(visit.paths,
            (std::vector<std::string>{"System\\CurrentControlSet\\Services\\QX2\\Device0",
                                      "System\\CurrentControlSet\\Services\\QX2\\Device0"}));
  EXPECT_EQ(machine.Export(kQx2), Reg(R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Device0]
"Visited"=dword:00000001

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Enum]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Security]

)"));
}

TEST(ForEachDeviceKey, ReadModeNeverCreatesDevice0) {
  SettingsMachine machine(R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Enum]

)");
  const Visit visit = ReadOnly(machine, [&] {
    Visit seen;
    seen.opened =
        ForEachDeviceKey(machine.registry(), kQx2, "Device", DeviceKeyMode::kRead,
                         [&](RegKey, const DriverKey& where) { seen.paths.push_back(where.path); });
    return seen;
  });
  EXPECT_TRUE(visit.opened);
  EXPECT_TRUE(visit.paths.empty());
}

TEST(ForEachDeviceKey, ServiceWithoutSubKeysGetsNothing) {
  SettingsMachine machine(R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2]

)");
  const std::string before = machine.Export();
  for (DeviceKeyMode mode : {DeviceKeyMode::kRead, DeviceKeyMode::kWrite}) {
    const Visit visit = Walk(machine, "Device", mode);
    EXPECT_TRUE(visit.opened);
    EXPECT_TRUE(visit.paths.empty());
  }
  EXPECT_EQ(machine.Export(), before);
}

TEST(ForEachDeviceKey, MissingServiceReportsNotOpened) {
  SettingsMachine machine(R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX1\Device0]

)");
  for (DeviceKeyMode mode : {DeviceKeyMode::kRead, DeviceKeyMode::kWrite}) {
    const Visit visit = Walk(machine, "Device", mode);
    EXPECT_FALSE(visit.opened);
    EXPECT_TRUE(visit.paths.empty());
  }
  EXPECT_EQ(machine.Export("System\\CurrentControlSet\\Services\\QX2"), Reg(""));
}

// Twenty device keys: only the first sixteen in enumeration order count.
TEST(ForEachDeviceKey, LooksAtSixteenSubKeysAtMost) {
  std::string body;
  for (int i = 0; i < 20; ++i) {
    body += "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\QX2\\Device" +
            std::string(i < 10 ? "0" : "") + std::to_string(i) + "]\n\n";
  }
  SettingsMachine machine(body);
  for (DeviceKeyMode mode : {DeviceKeyMode::kRead, DeviceKeyMode::kWrite}) {
    const Visit visit = Walk(machine, "Device", mode);
    ASSERT_EQ(visit.paths.size(), 16u);
    EXPECT_EQ(visit.paths.front(), "System\\CurrentControlSet\\Services\\QX2\\Device00");
    EXPECT_EQ(visit.paths.back(), "System\\CurrentControlSet\\Services\\QX2\\Device15");
  }
  EXPECT_EQ(machine.Data("System\\CurrentControlSet\\Services\\QX2\\Device16", "Visited"),
            "<absent>");
}

// The registry allows key names of 255 characters; the enumeration buffer
// of 260 takes them, and the longer path they make is used whole.
TEST(ForEachDeviceKey, LongestKeyNameIsVisitedWhole) {
  const std::string name = "Device0" + std::string(255 - 7, 'x');
  ASSERT_EQ(name.size(), 255u);
  SettingsMachine machine("[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\QX2\\" + name +
                          "]\n\n");
  const std::string path = std::string(kQx2) + "\\" + name;
  for (std::string_view prefix : {"Device0", "Device"}) {
    const Visit read = ReadOnly(machine, [&] {
      Visit seen;
      ForEachDeviceKey(machine.registry(), kQx2, prefix, DeviceKeyMode::kRead,
                       [&](RegKey, const DriverKey& where) { seen.paths.push_back(where.path); });
      return seen;
    });
    EXPECT_EQ(read.paths, std::vector<std::string>{path});
  }
  const Visit written = Walk(machine, "Device", DeviceKeyMode::kWrite);
  EXPECT_EQ(written.paths, std::vector<std::string>{path});
  EXPECT_EQ(machine.Data(path, "Visited"), sim::DwordBytes(1));
}

TEST(ForEachDeviceKey, LongestForeignNameFallsBackToDevice0) {
  const std::string name(255, 'E');
  SettingsMachine machine("[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\QX2\\" + name +
                          "]\n\n");
  const Visit written = Walk(machine, "Device", DeviceKeyMode::kWrite);
  EXPECT_EQ(written.paths,
            std::vector<std::string>{"System\\CurrentControlSet\\Services\\QX2\\Device0"});
}

// A user without write rights cannot open anything with full access.
TEST(ForEachDeviceKey, NothingOpensWithoutFullAccess) {
  SettingsMachine machine(kTwoHeadsAndEnum, {.administrator = false});
  for (DeviceKeyMode mode : {DeviceKeyMode::kRead, DeviceKeyMode::kWrite}) {
    const Visit visit = Walk(machine, "Device", mode);
    EXPECT_FALSE(visit.opened);
    EXPECT_TRUE(visit.paths.empty());
  }
}

}  // namespace
}  // namespace tunora
