// The simulated service manager where it must answer as Windows does:
// names it refuses, and a service deleted while a handle to it is open,
// which stays in the database until that handle closes.
#include <gtest/gtest.h>

#include <string>

#include "sim/machine/sim_process.h"
#include "sim/os/regedit4.h"
#include "tests/support/fake_ui.h"
#include "tests/support/sim_harness.h"

namespace tunora::testing {
namespace {

constexpr std::uint32_t kErrorInvalidName = 123;
constexpr std::uint32_t kErrorServiceMarkedForDelete = 1072;
constexpr std::string_view kKey = "System\\CurrentControlSet\\Services\\probe";

struct Manager {
  Manager() : machine(test_machine.Open()), process(*machine, ui) {
    manager = devices().OpenSCManager(kScManagerAllAccess);
  }
  Devices& devices() { return process.devices(); }
  Handle Create(std::string_view name) {
    return devices().CreateService(manager, name, name, kServiceAllAccess, kServiceKernelDriver,
                                   kServiceDemandStart, kServiceErrorNormal,
                                   "\\SystemRoot\\System32\\Drivers\\probe.sys");
  }
  bool KeyExists() { return machine->registry().hive().FindKey(std::string(kKey)) != nullptr; }

  TestMachine test_machine{"win2000-qx2max"};
  std::unique_ptr<sim::Machine> machine;
  FakeUi ui;
  sim::SimProcess process;
  Handle manager = kNullHandle;
};

TEST(ServiceManager, RefusesNamesThatAreNoSingleKeyName) {
  Manager m;
  const std::string services = sim::ExportRegedit4(m.machine->registry().hive());
  for (const std::string& name :
       {std::string(), std::string("a\\b"), std::string("a/b"), std::string(257, 'n')}) {
    SCOPED_TRACE(name.substr(0, 8));
    EXPECT_EQ(m.Create(name), kNullHandle);
    EXPECT_EQ(m.devices().GetLastError(), kErrorInvalidName);
    EXPECT_EQ(m.devices().OpenService(m.manager, name, kServiceAllAccess), kNullHandle);
    EXPECT_EQ(m.devices().GetLastError(), kErrorInvalidName);
  }
  EXPECT_EQ(sim::ExportRegedit4(m.machine->registry().hive()), services);
}

TEST(ServiceManager, ADeletedServiceStaysUntilItsLastHandleCloses) {
  Manager m;
  const Handle service = m.Create("probe");
  ASSERT_NE(service, kNullHandle);
  ASSERT_TRUE(m.devices().DeleteService(service));
  // Still there, marked: every use but closing is refused as such.
  EXPECT_TRUE(m.KeyExists());
  EXPECT_FALSE(m.devices().DeleteService(service));
  EXPECT_EQ(m.devices().GetLastError(), kErrorServiceMarkedForDelete);
  EXPECT_FALSE(m.devices().StartService(service));
  EXPECT_EQ(m.devices().GetLastError(), kErrorServiceMarkedForDelete);
  EXPECT_EQ(m.Create("probe"), kNullHandle);
  EXPECT_EQ(m.devices().GetLastError(), kErrorServiceMarkedForDelete);

  ASSERT_TRUE(m.devices().CloseServiceHandle(service));
  EXPECT_FALSE(m.KeyExists());
  EXPECT_NE(m.Create("probe"), kNullHandle);
}

// A handle a program leaves open closes with its process, and a service
// deleted through it goes then.
TEST(ServiceManager, AHandleLeftOpenClosesWithItsProcess) {
  Manager m;
  {
    sim::SimProcess other(*m.machine, m.ui);
    Devices& devices = other.devices();
    const Handle manager = devices.OpenSCManager(kScManagerAllAccess);
    const Handle service = devices.CreateService(
        manager, "probe", "probe", kServiceAllAccess, kServiceKernelDriver, kServiceDemandStart,
        kServiceErrorNormal, "\\SystemRoot\\System32\\Drivers\\probe.sys");
    ASSERT_NE(service, kNullHandle);
    ASSERT_TRUE(devices.DeleteService(service));
    EXPECT_TRUE(m.KeyExists());
  }
  EXPECT_FALSE(m.KeyExists());
}

}  // namespace
}  // namespace tunora::testing
