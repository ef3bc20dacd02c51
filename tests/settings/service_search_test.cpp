// Each service search by chip family, and the two OpenGL key rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/driver_keys.h"
#include "tests/settings/recording_registry.h"
#include "tests/settings/settings_test_machine.h"

namespace tunora {
namespace {

// Every service installed, each with one device key.
constexpr const char* kAllServices =
    R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX1\Device0]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Device0]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2DUO\Device0]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX3DUO\Device0]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\qxg64\Device0]

)";

// The services whose device keys a search visits, in order.
std::vector<std::string> Services(SettingsMachine& machine, ServiceSearch search, ChipFamily family,
                                  DeviceKeyMode mode = DeviceKeyMode::kRead) {
  std::vector<std::string> services;
  RunServiceSearch(machine.registry(), search, family, "Device", mode,
                   [&](RegKey, const DriverKey& where) {
                     const std::string prefix = "System\\CurrentControlSet\\Services\\";
                     const std::string rest = where.path.substr(prefix.size());
                     services.push_back(rest.substr(0, rest.find('\\')));
                   });
  return services;
}

using Names = std::vector<std::string>;

struct SearchCase {
  ServiceSearch search;
  ChipFamily family;
  Names expected;
};

TEST(ServiceSearch, PicksServicesByFamilyWhenAllAreInstalled) {
  const Names qx2_pair = {"QX2DUO", "QX2"};
  const Names all = {"QX1", "QX2", "QX2DUO", "QX3DUO", "qxg64"};
  const std::vector<SearchCase> cases = {
      {ServiceSearch::kDualThenSingle, 200, {"QX1"}},
      {ServiceSearch::kDualThenSingle, 204, {"QX1"}},
      {ServiceSearch::kDualThenSingle, 400, qx2_pair},
      {ServiceSearch::kDualThenSingle, 450, qx2_pair},
      {ServiceSearch::kDualThenSingle, 451, qx2_pair},
      {ServiceSearch::kDualThenSingle, 452, {}},
      {ServiceSearch::kDualThenSingle, 550, {"QX3DUO"}},
      {ServiceSearch::kDualThenSingle, kFamilyUnknown, {}},
      {ServiceSearch::kSingleElseDual, 201, {"QX1"}},
      {ServiceSearch::kSingleElseDual, 400, {"QX2"}},
      {ServiceSearch::kSingleElseDual, 451, {"QX2"}},
      {ServiceSearch::kSingleElseDual, 452, {}},
      {ServiceSearch::kSingleElseDual, 550, {"QX3DUO"}},
      {ServiceSearch::kDualElseSingleNoDuoPci, 202, {"QX1"}},
      {ServiceSearch::kDualElseSingleNoDuoPci, 400, {"QX2DUO"}},
      {ServiceSearch::kDualElseSingleNoDuoPci, 450, {"QX2DUO"}},
      {ServiceSearch::kDualElseSingleNoDuoPci, 451, {}},
      {ServiceSearch::kDualElseSingleNoDuoPci, 452, {}},
      {ServiceSearch::kDualElseSingleNoDuoPci, 550, {"QX3DUO"}},
      {ServiceSearch::kSingleElseDualNoDuoPci, 203, {"QX1"}},
      {ServiceSearch::kSingleElseDualNoDuoPci, 450, {"QX2"}},
      {ServiceSearch::kSingleElseDualNoDuoPci, 451, {}},
      {ServiceSearch::kSingleElseDualNoDuoPci, 452, {}},
      {ServiceSearch::kSingleElseDualNoDuoPci, 550, {"QX3DUO"}},
      {ServiceSearch::kFamilyAndQxg64, 200, {"QX1", "qxg64"}},
      {ServiceSearch::kFamilyAndQxg64, 451, {"QX2", "QX2DUO", "qxg64"}},
      {ServiceSearch::kFamilyAndQxg64, 452, {"qxg64"}},
      {ServiceSearch::kFamilyAndQxg64, 550, {"qxg64"}},
      {ServiceSearch::kFamilyAndQxg64, kFamilyUnknown, {"qxg64"}},
      {ServiceSearch::kEveryService, 200, all},
      {ServiceSearch::kEveryService, 452, all},
      {ServiceSearch::kQxg64Only, 200, {"qxg64"}},
      {ServiceSearch::kQxg64Only, 400, {"qxg64"}},
  };
  SettingsMachine machine(kAllServices);
  for (const SearchCase& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "S" << static_cast<int>(c.search) + 1 << " family " << c.family);
    EXPECT_EQ(Services(machine, c.search, c.family), c.expected);
  }
}

// Which QX2 service the searches take when only one of the pair is there.
TEST(ServiceSearch, FallsBackToTheOtherQx2Service) {
  SettingsMachine single(R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2\Device0]

)");
  SettingsMachine dual(R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2DUO\Device0]

)");
  for (ServiceSearch search :
       {ServiceSearch::kDualThenSingle, ServiceSearch::kSingleElseDual,
        ServiceSearch::kDualElseSingleNoDuoPci, ServiceSearch::kSingleElseDualNoDuoPci}) {
    SCOPED_TRACE(static_cast<int>(search) + 1);
    EXPECT_EQ(Services(single, search, 400), Names{"QX2"});
    EXPECT_EQ(Services(dual, search, 400), Names{"QX2DUO"});
  }
}

// A QX2E board with both drivers installed: dual-then-single writes both,
// single-else-dual only the single driver, dual-else-single reads the dual
// one.
TEST(ServiceSearch, Qx2eWithBothServices) {
  SettingsMachine machine(kAllServices, {.family = kFamilyQx2e});
  EXPECT_EQ(Services(machine, ServiceSearch::kDualThenSingle, kFamilyQx2e, DeviceKeyMode::kWrite),
            (Names{"QX2DUO", "QX2"}));
  EXPECT_EQ(Services(machine, ServiceSearch::kSingleElseDual, kFamilyQx2e, DeviceKeyMode::kWrite),
            Names{"QX2"});
  EXPECT_EQ(Services(machine, ServiceSearch::kDualElseSingleNoDuoPci, kFamilyQx2e),
            Names{"QX2DUO"});
}

TEST(ServiceSearch, FarviewBoardReachesOnlyQxg64ThroughS5) {
  SettingsMachine machine(kAllServices);
  for (ServiceSearch search :
       {ServiceSearch::kDualThenSingle, ServiceSearch::kSingleElseDual,
        ServiceSearch::kDualElseSingleNoDuoPci, ServiceSearch::kSingleElseDualNoDuoPci}) {
    SCOPED_TRACE(static_cast<int>(search) + 1);
    for (DeviceKeyMode mode : {DeviceKeyMode::kRead, DeviceKeyMode::kWrite}) {
      EXPECT_TRUE(Services(machine, search, kFamilyFarview, mode).empty());
    }
  }
  EXPECT_EQ(Services(machine, ServiceSearch::kFamilyAndQxg64, kFamilyFarview), Names{"qxg64"});
}

TEST(ServiceSearch, OutcomeCountsServicesAndDeviceKeys) {
  SettingsMachine machine(R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QX2]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\qxg64\Device0]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\qxg64\Device1]

)");
  const auto none = [](RegKey, const DriverKey&) {};
  const SearchOutcome empty_service =
      RunServiceSearch(machine.registry(), ServiceSearch::kSingleElseDual, 400, "Device",
                       DeviceKeyMode::kWrite, none);
  EXPECT_TRUE(empty_service.any_service_opened);
  EXPECT_EQ(empty_service.device_keys_visited, 0);
  const SearchOutcome nothing = RunServiceSearch(machine.registry(), ServiceSearch::kDualThenSingle,
                                                 550, "Device", DeviceKeyMode::kWrite, none);
  EXPECT_FALSE(nothing.any_service_opened);
  const SearchOutcome two = RunServiceSearch(machine.registry(), ServiceSearch::kQxg64Only, 400,
                                             "Device", DeviceKeyMode::kRead, none);
  EXPECT_EQ(two.device_keys_visited, 2);
}

std::vector<std::string> OpenGlWriteKeys(Registry& registry, PlatformKind platform) {
  std::vector<std::string> paths;
  ForEachOpenGlWriteKey(registry, platform,
                        [&](RegKey, const DriverKey& where) { paths.push_back(where.path); });
  return paths;
}

// "Device0" is created below a driver's service key that exists; a service
// key is never created, and the dual QX2 driver's key stands in only when
// the single driver's service does not open.
TEST(OpenGlWriteKeys, DeviceKeysOfInstalledDriversOnly) {
  struct Case {
    const char* what;
    PlatformKind platform;
    Names installed;  // service keys, without device keys
    Names refused;    // paths that do not open
    Names expected;   // the services whose "Device0" is visited, in order
  };
  const Names all = {"qxg64", "QX1", "QX2", "QX2DUO", "QX3DUO"};
  const std::vector<Case> cases = {
      {"2000, no driver", kPlatformWin2kXp, {}, {}, {}},
      {"2000, every driver", kPlatformWin2kXp, all, {}, {"qxg64", "QX1", "QX2"}},
      {"2000, QX2 only", kPlatformWin2kXp, {"QX2"}, {}, {"QX2"}},
      {"2000, dual QX2 only", kPlatformWin2kXp, {"QX2DUO"}, {}, {"QX2DUO"}},
      {"2000, both QX2 drivers", kPlatformWin2kXp, {"QX2", "QX2DUO"}, {}, {"QX2"}},
      {"2000, QX2 does not open",
       kPlatformWin2kXp,
       {"QX2", "QX2DUO"},
       {"SYSTEM\\CurrentControlSet\\Services\\QX2\\"},
       {"QX2DUO"}},
      {"2000, QX3 only", kPlatformWin2kXp, {"QX3DUO"}, {}, {}},
      {"NT 4, every driver", kPlatformNt4, all, {}, {"qxg64"}},
      {"NT 4, no qxg64", kPlatformNt4, {"QX2"}, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string body;
    for (const std::string& service : c.installed) {
      body += "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\" + service + "]\n\n";
    }
    SettingsMachine machine(body);
    RecordingRegistry recording(machine.registry());
    recording.refused_paths = c.refused;
    Names targets, creations;
    for (const std::string& service : c.expected) {
      targets.push_back("SYSTEM\\CurrentControlSet\\Services\\" + service + "\\Device0");
      creations.push_back("create " + targets.back());
    }
    EXPECT_EQ(OpenGlWriteKeys(recording, c.platform), targets);
    EXPECT_EQ(recording.log, creations);
  }
}

TEST(OpenGlWriteKeys, ProfileKeysOn9x) {
  SettingsMachine machine("");
  RecordingRegistry recording(machine.registry());
  EXPECT_EQ(OpenGlWriteKeys(recording, kPlatform9x),
            (Names{"Software\\Quillex\\Panelix\\Current Settings",
                   "Software\\Quillex\\Panelix\\Version5\\CurrentSettings",
                   "Software\\Quillex\\Panelix\\Version6\\CurrentSettings"}));
  EXPECT_EQ(recording.log, (Names{"create Software\\Quillex\\Panelix\\",
                                  "create Software\\Quillex\\Panelix\\Current Settings",
                                  "create Software\\Quillex\\Panelix\\Version5\\",
                                  "create Software\\Quillex\\Panelix\\Version5\\CurrentSettings",
                                  "create Software\\Quillex\\Panelix\\Version6\\",
                                  "create Software\\Quillex\\Panelix\\Version6\\CurrentSettings"}));
}

TEST(OpenGlReadKey, ByPlatformAndFamily) {
  SettingsMachine with_dual(R"([HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\QX2DUO]

)");
  SettingsMachine without_dual("");
  struct Case {
    SettingsMachine* machine;
    PlatformKind platform;
    ChipFamily family;
    std::optional<std::string> expected;
  };
  const std::string qx1 = "SYSTEM\\CurrentControlSet\\Services\\QX1\\Device0";
  const std::string qx2 = "SYSTEM\\CurrentControlSet\\Services\\QX2\\Device0";
  const std::string dual = "SYSTEM\\CurrentControlSet\\Services\\QX2DUO\\Device0";
  const std::string qxg64 = "SYSTEM\\CurrentControlSet\\Services\\qxg64\\Device0";
  const std::vector<Case> cases = {
      {&without_dual, kPlatformWin2kXp, 200, qx1}, {&without_dual, kPlatformWin2kXp, 299, qx1},
      {&with_dual, kPlatformWin2kXp, 450, dual},   {&without_dual, kPlatformWin2kXp, 450, qx2},
      {&without_dual, kPlatformWin2kXp, 499, qx2}, {&with_dual, kPlatformWin2kXp, 550, {}},
      {&with_dual, kPlatformNt4, 200, qxg64},      {&with_dual, kPlatformNt4, 400, qxg64},
      {&with_dual, kPlatformNt4, 201, {}},         {&with_dual, kPlatformNt4, 450, {}},
      {&with_dual, kPlatform9x, 400, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "platform " << int{c.platform} << " family " << c.family);
    EXPECT_EQ(
        ReadOnly(*c.machine,
                 [&] { return OpenGlReadKeyPath(c.machine->registry(), c.platform, c.family); }),
        c.expected);
  }
}

}  // namespace
}  // namespace tunora
