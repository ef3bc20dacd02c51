// The simulated service manager on a machine switched to its real
// drivers: the binary the program wrote starts with its service, decides
// itself who opens its device, answers the requests, is loaded again by a
// later program run, and unloads when its service stops.
#include <gtest/gtest.h>

#include <memory>

#include "hwaccess/drivers/dispatch.h"
#include "platform/devices.h"
#include "sim/emulator/driver_loader.h"
#include "sim/machine/machine.h"
#include "sim/os/process_memory.h"
#include "sim/os/sim_devices.h"
#include "sim/os/sim_files.h"
#include "sim/os/sim_kernel.h"
#include "tests/support/sim_harness.h"

namespace tunora::testing {
namespace {

struct RealDriverMachine {
  RealDriverMachine() : test_machine(Profile()), machine(test_machine.dir()) {}
  static sim::Profile Profile() {
    sim::Profile profile = Builtin("win2000-qx2max");
    profile.real_drivers = true;
    return profile;
  }
  // One program run as the given user.
  std::unique_ptr<sim::SimDevices> Run(bool administrator) {
    return std::make_unique<sim::SimDevices>(machine.services(), machine.registry(), files, kernel,
                                             false, administrator, machine.device_faults(),
                                             emulator::EmulatedDriverLoader());
  }
  Handle Open(sim::SimDevices& devices) {
    return devices.CreateFile("\\\\.\\hwgate4", kGenericRead | kGenericWrite, 3, kOpenExisting,
                              kFileFlagOverlapped);
  }
  TestMachine test_machine;
  sim::Machine machine;
  sim::ProcessAddressSpace space{machine.physical()};
  sim::SimKernel kernel{machine.bus(), space};
  sim::SimFiles files{machine.drive_c(), machine.profile().windows_directory};
};

std::uint32_t ReadVendorAndDevice(sim::SimDevices& devices, Handle device) {
  std::uint8_t record[12] = {1, 0, 0, 2};
  std::uint32_t returned = 0;
  EXPECT_TRUE(devices.DeviceIoControl(device, kIoctlConfigRead, record, 12, record, 12, &returned,
                                      nullptr));
  return static_cast<std::uint32_t>(record[4] | record[5] << 8 | record[8] << 16 | record[9] << 24);
}

TEST(MachineSwitch, TheWrittenDriverServesItsServiceUntilItStops) {
  RealDriverMachine pc;
  const std::string path = pc.files.WindowsDirectory() + "\\System32\\Drivers\\hwgate4.sys";
  ASSERT_TRUE(pc.files.WriteFile(path, DriverImage(DriverKind::kHwgate4)));
  auto admin = pc.Run(true);
  const Handle manager = admin->OpenSCManager(kGenericRead | kGenericWrite);
  const Handle service =
      admin->CreateService(manager, "hwgate4", "hwgate4", 0xF01FF, 1, 3, 1, path);
  ASSERT_TRUE(admin->StartService(service));
  const sim::ServiceEntry& entry = pc.machine.services().services.at("hwgate4");
  ASSERT_NE(entry.executed, nullptr);

  // The driver's own access list turns a plain user away.
  auto user = pc.Run(false);
  EXPECT_EQ(pc.Open(*user), kInvalidHandleValue);
  EXPECT_EQ(user->GetLastError(), kLastErrorAccessDenied);

  const std::uint64_t served = emulator::EmulatedRequestsServed();
  const Handle device = pc.Open(*admin);
  ASSERT_NE(device, kInvalidHandleValue);
  EXPECT_EQ(ReadVendorAndDevice(*admin, device), 0x0525102Bu);
  EXPECT_EQ(emulator::EmulatedRequestsServed(), served + 1);

  // A later program run finds the service running but no loaded image
  // (the emulator is not kept between commands): it loads the file again.
  pc.machine.services().services.at("hwgate4").executed.reset();
  auto later = pc.Run(true);
  const Handle again = pc.Open(*later);
  ASSERT_NE(again, kInvalidHandleValue);
  EXPECT_EQ(ReadVendorAndDevice(*later, again), 0x0525102Bu);

  // Stopped with a device open, it unloads when the last handle closes.
  EXPECT_TRUE(later->ControlService(
      later->OpenService(later->OpenSCManager(kGenericRead), "hwgate4", 0xF01FF),
      kServiceControlStop));
  EXPECT_NE(entry.executed, nullptr);
  EXPECT_TRUE(later->CloseHandle(again));
  EXPECT_EQ(entry.executed, nullptr);
  EXPECT_FALSE(entry.running);
}

}  // namespace
}  // namespace tunora::testing
