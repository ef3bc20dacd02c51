// Windows 98/ME display-class instances that belong to the maker.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/driver_keys.h"
#include "tests/settings/settings_test_machine.h"

namespace tunora {
namespace {

std::vector<std::string> Instances(SettingsMachine& machine, bool* any = nullptr) {
  return ReadOnly(machine, [&] {
    std::vector<std::string> paths;
    const bool visited = ForEachDisplayInstance(machine.registry(), [&](const DriverKey& where) {
      EXPECT_EQ(where.kind, DriverKeyKind::k9xInstance);
      paths.push_back(where.path);
    });
    if (any) *any = visited;
    return paths;
  });
}

std::string Instance(std::string_view name, std::string_view values) {
  return "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Display\\" +
         std::string(name) + "]\n" + std::string(values) + "\n";
}

TEST(ForEachDisplayInstance, VisitsOnlyTheMakersInstances) {
  const std::string long_ok = "Quillex" + std::string(259 - 7, 'x');   // 260 bytes with zero
  const std::string too_long = "Quillex" + std::string(260 - 7, 'x');  // 261 bytes
  SettingsMachine machine(Instance("0000", "\"DriverDesc\"=\"Quillex Solace QX2 DUO MAX\"") +
                          Instance("0001", "\"DriverDesc\"=\"Other Maker Graphics\"") +
                          Instance("0002", "\"DriverDesc\"=\"quillex lower case\"") +
                          Instance("0003", "\"Other\"=\"Quillex\"") +
                          Instance("0004", "\"DriverDesc\"=\"Quillex\"") +
                          Instance("0005", "\"DriverDesc\"=\"Quille\"") +
                          Instance("0006", "\"DriverDesc\"=\"" + long_ok + "\"") +
                          Instance("0007", "\"DriverDesc\"=\"" + too_long + "\"") +
                          Instance("0008", "\"DriverDesc\"=\"\"") +
                          Instance("0009", "\"DriverDesc\"=hex:51,75,69,6c,6c,65,78") +
                          Instance("0010", "\"DriverDesc\"=dword:00000000"));
  bool any = false;
  const std::string base = "System\\CurrentControlSet\\Services\\Class\\Display\\";
  EXPECT_EQ(Instances(machine, &any),
            (std::vector<std::string>{base + "0000", base + "0004", base + "0006", base + "0009"}));
  EXPECT_TRUE(any);
}

TEST(ForEachDisplayInstance, NothingWithoutTheClassKeyOrAMatch) {
  SettingsMachine no_class("[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class]\n\n");
  bool any = true;
  EXPECT_TRUE(Instances(no_class, &any).empty());
  EXPECT_FALSE(any);
  SettingsMachine other(Instance("0000", "\"DriverDesc\"=\"Other Maker\""));
  any = true;
  EXPECT_TRUE(Instances(other, &any).empty());
  EXPECT_FALSE(any);
}

}  // namespace
}  // namespace tunora
