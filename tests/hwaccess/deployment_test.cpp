// Driver deployment on simulated machines: what each road's scans leave
// behind (files, service keys, services, handles), leftovers of earlier
// runs, drivers that never load, and the video-BIOS version text.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "hwaccess/config_access.h"
#include "hwaccess/deploy.h"
#include "hwaccess/scans.h"
#include "sim/machine/sim_process.h"
#include "tests/hwaccess/bus_config_space.h"
#include "tests/hwaccess/recording_devices.h"
#include "tests/support/fake_ui.h"
#include "tests/support/registry_fixture.h"
#include "tests/support/sim_harness.h"

namespace tunora::testing {
namespace {

constexpr std::string_view kServices = "System\\CurrentControlSet\\Services";
constexpr std::string_view kHwgate2Key = "System\\CurrentControlSet\\Services\\hwgate2";
constexpr std::string_view kHwgate4Key = "System\\CurrentControlSet\\Services\\hwgate4";
constexpr const char* kEmptyExport = "REGEDIT4\n\n";

// One program process on a machine, with its service calls recorded.
struct Process {
  explicit Process(sim::Machine& machine)
      : sim_process(machine, ui),
        devices(sim_process.devices()),
        platform{sim_process.platform().registry,
                 devices,
                 sim_process.platform().ports,
                 sim_process.platform().memory,
                 sim_process.platform().files,
                 sim_process.platform().system,
                 ui,
                 sim_process.platform().wmi},
        hw{platform, TunoraDrivers()} {
    hw.road = RoadOf(machine);
  }

  bool FileExists(DriverKind kind) {
    return platform.files.FileExists(DriverFilePath(platform.files, kind));
  }
  std::size_t OpenHandles() { return sim_process.devices().open_handle_count(); }

  // Runs `work`; the exit code when it ended the process, else -1.
  template <typename Work>
  int ExitCodeOf(Work&& work) {
    try {
      work();
    } catch (const ProcessExit& exit) {
      return exit.code;
    }
    return -1;
  }

  FakeUi ui;
  sim::SimProcess sim_process;
  RecordingDevices devices;
  Platform platform;
  HwContext hw;
};

sim::Profile WithFaults(sim::Profile profile, sim::Faults faults) {
  profile.faults = std::move(faults);
  return profile;
}

FakeUi::Message HwGateError() { return {"Error Accessing HwGate!", "tunora", kMbOk}; }

// ---- the NT start-up scan and hwgate2 ------------------------------------------

// A key tree an interrupted run left: the service key with stale values
// and the four sub-keys the removal knows.
std::string LeftoverHwgate2Tree(const std::string& windows_dir) {
  const std::string key = "\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\hwgate2";
  std::string image = windows_dir + "\\System32\\Drivers\\hwgate2.sys";
  std::string escaped;
  for (char c : image) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return key +
         "]\n\"Type\"=dword:00000002\n\"Start\"=dword:00000004\n"
         "\"ErrorControl\"=dword:00000000\n\"ImagePath\"=\"" +
         escaped +
         "\"\n"
         "\"DisplayName\"=\"hwgate2\"\n\"Stale\"=\"from the last run\"\n" +
         key + "\\Enum]\n\"0\"=\"Root\\\\LEGACY_HWGATE2\\\\0000\"\n\"Count\"=dword:00000001\n" +
         key + "\\Security]\n\"Security\"=hex:01,00,14,80\n" + key +
         "\\Parameters]\n\"Old\"=dword:00000001\n" + key +
         "\\Performance]\n\"Library\"=\"none.dll\"\n";
}

class NtStartUpScan : public ::testing::Test {
 protected:
  // The scan on the machine, and the same walk over its bus directly.
  void ScanAndCompare(Process& run, sim::Machine& machine) {
    DetectedCard direct_card;
    AgpStatus direct_agp;
    BusConfigSpace direct(machine.bus());
    const CardCode expected = WalkForCard(direct, direct_card, direct_agp);

    EXPECT_EQ(ScanForCard(run.hw, card, agp), expected);
    EXPECT_EQ(card.card_code, expected);
    EXPECT_EQ(card.device_id, direct_card.device_id);
    EXPECT_EQ(card.subsystem_id, direct_card.subsystem_id);
    EXPECT_EQ(card.bus, direct_card.bus);
    EXPECT_EQ(card.device, direct_card.device);
    EXPECT_EQ(agp.version, direct_agp.version);
    EXPECT_EQ(agp.chipset_rate, direct_agp.chipset_rate);
    EXPECT_EQ(agp.side_band, direct_agp.side_band);
    EXPECT_EQ(agp.card_rate, direct_agp.card_rate);
    EXPECT_EQ(agp.override_flag, direct_agp.override_flag);
  }

  static void ExpectNoHwgate2(Process& run, sim::Machine& machine) {
    EXPECT_FALSE(run.FileExists(DriverKind::kHwgate2));
    EXPECT_EQ(ExportKey(machine.registry(), kHwgate2Key), kEmptyExport);
    EXPECT_EQ(run.OpenHandles(), 0u);
  }

  DetectedCard card;
  AgpStatus agp;
};

TEST_F(NtStartUpScan, FindsTheCardAndLeavesNoHwgate2FileOrKeys) {
  struct Case {
    const char* what;
    sim::Profile profile;
    CardCode card_code;
    bool overridden = false;  // the chipset forces 4x down to 2x
  };
  sim::Profile overridden = Builtin("winxp-qx3");
  overridden.pci[0].registers[0xB0] = 0x00000001;  // on 8086:2500
  // Without an image path the service manager never knew the service.
  sim::Profile leftover_keys = Builtin("win2000-qx2max");
  std::string tree = LeftoverHwgate2Tree(leftover_keys.windows_directory);
  const auto at = tree.find("\"ImagePath\"");
  tree.erase(at, tree.find('\n', at) + 1 - at);
  leftover_keys.registry += tree;
  const Case cases[] = {
      {"win2000-qx2max", Builtin("win2000-qx2max"), 405},
      {"the override chipset is read through the driver", overridden, 550, true},
      {"leftover keys without a service are removed too", leftover_keys, 405},
      {"no card without the maker's board", Builtin("win2000-nocard"), kNoCard},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    card = {};
    agp = {};
    TestMachine test_machine(c.profile);
    sim::Machine machine(test_machine.dir());
    Process run(machine);
    ScanAndCompare(run, machine);
    EXPECT_EQ(card.card_code, c.card_code);
    ExpectNoHwgate2(run, machine);
    EXPECT_TRUE(run.ui.messages.empty());
    // Every slot of buses 0 to 254 went through the driver.
    EXPECT_GE(run.devices.requests, 255 * 32);
    // The rest of the services key is untouched.
    EXPECT_NE(ExportKey(machine.registry(), kServices).find("Services\\Tcpip]"), std::string::npos);
    if (c.overridden) {
      EXPECT_EQ(agp.override_flag, 1);
      EXPECT_EQ(agp.version, 2);
    }
  }
}

TEST_F(NtStartUpScan, LeftoverKeyTreeIsRewrittenAndRemoved) {
  sim::Profile profile = Builtin("win2000-qx2max");
  profile.registry += LeftoverHwgate2Tree(profile.windows_directory);
  TestMachine test_machine(profile);
  sim::Machine machine(test_machine.dir());
  ASSERT_NE(ExportKey(machine.registry(), kHwgate2Key).find("Performance]"), std::string::npos);

  Process run(machine);
  std::string key_at_open;
  run.devices.before_open = [&](std::string_view path) {
    if (path == "\\\\.\\hwgate2") key_at_open = ExportKey(machine.registry(), kHwgate2Key);
  };
  ScanAndCompare(run, machine);
  EXPECT_EQ(card.card_code, 405);

  // When the device was opened, the values had been written again.
  EXPECT_NE(key_at_open.find("\"Start\"=dword:00000003\n"), std::string::npos) << key_at_open;
  EXPECT_NE(key_at_open.find("\"Type\"=dword:00000001\n"), std::string::npos) << key_at_open;
  EXPECT_NE(key_at_open.find("\"ErrorControl\"=dword:00000001\n"), std::string::npos)
      << key_at_open;
  // The service existed already: it was opened instead of created.
  EXPECT_EQ(run.devices.Count("CreateService hwgate2 failed"), 1);
  EXPECT_EQ(run.devices.Count("OpenService hwgate2"), 1);
  ExpectNoHwgate2(run, machine);
}

TEST_F(NtStartUpScan, SecondScanOnTheSameBootLeavesNothingEither) {
  TestMachine test_machine("win2000-qx2max");
  sim::Machine machine(test_machine.dir());
  for (int pass = 0; pass < 2; ++pass) {
    SCOPED_TRACE(pass);
    Process run(machine);
    ScanAndCompare(run, machine);
    EXPECT_EQ(card.card_code, 405);
    ExpectNoHwgate2(run, machine);
  }
}

TEST(Hwgate2Failure, DeviceThatDoesNotOpenEndsTheRunAndLeavesNothing) {
  for (bool never_loads : {false, true}) {
    SCOPED_TRACE(never_loads ? "driver never loads" : "device open fails");
    sim::Faults faults;
    if (never_loads) {
      faults.driver_never_loads = {"hwgate2"};
    } else {
      faults.device_open_fails = {"hwgate2"};
    }
    TestMachine test_machine(WithFaults(Builtin("win2000-qx2max"), faults));
    {
      sim::Machine machine(test_machine.dir());
      Process run(machine);
      DetectedCard card;
      AgpStatus agp;
      EXPECT_EQ(run.ExitCodeOf([&] { ScanForCard(run.hw, card, agp); }), 1);
      ASSERT_EQ(run.ui.messages.size(), 1u);
      EXPECT_EQ(run.ui.messages[0], HwGateError());
      EXPECT_EQ(run.devices.Count("CreateFile \\\\.\\hwgate2"), 1);  // no retry
      EXPECT_FALSE(run.FileExists(DriverKind::kHwgate2));
      EXPECT_EQ(ExportKey(machine.registry(), kHwgate2Key), kEmptyExport);
    }
    // The whole program, told by its transcript.
    const ProgramRun whole = test_machine.RunTunora("expect message \"Error Accessing HwGate!\"\n");
    EXPECT_EQ(whole.exit_code, 1) << whole.transcript << whole.errors;
    EXPECT_EQ(whole.transcript.find("window 102"), std::string::npos) << whole.transcript;
    EXPECT_FALSE(test_machine.FileExists("C:\\WINNT\\System32\\Drivers\\hwgate2.sys"));
    EXPECT_EQ(test_machine.Registry().find("hwgate2"), std::string::npos);
  }
}

// ---- hwgate4 ----------------------------------------------------------------------

TEST(Hwgate4Deployment, LeftoverServiceFromAnEarlierRunIsOpenedAndStarted) {
  for (bool reboot : {true, false}) {
    SCOPED_TRACE(reboot ? "after a reboot" : "on the same boot");
    TestMachine test_machine("win2000-qx2max");
    sim::Machine machine(test_machine.dir());
    {
      Process earlier(machine);
      const AgpSlotResult slot = FindAgpSlotDevice(earlier.hw);
      ASSERT_TRUE(slot.found);
      EXPECT_EQ(earlier.devices.Count("CreateService hwgate4"), 1);
      EXPECT_EQ(earlier.devices.Count("CreateService hwgate4 failed"), 0);
      earlier.platform.devices.CloseHandle(slot.kept_device);
    }
    if (reboot) machine.Reboot();
    ASSERT_EQ(machine.services().services.count("hwgate4"), 1u);
    EXPECT_EQ(machine.services().services.at("hwgate4").running, !reboot);

    Process run(machine);
    const std::optional<Handle> device = DeployHwgate4(run.hw);
    ASSERT_TRUE(device.has_value());
    EXPECT_EQ(run.devices.Count("CreateService hwgate4 failed"), 1);
    EXPECT_EQ(run.devices.Count("OpenService hwgate4"), 1);
    EXPECT_EQ(run.devices.Count("OpenService hwgate4 failed"), 0);
    EXPECT_EQ(run.devices.Count("StartService"), 1);
    // Already running on the same boot: the start fails and does not matter.
    EXPECT_EQ(run.devices.Count("StartService failed"), reboot ? 0 : 1);
    EXPECT_EQ(run.devices.Count("CreateFile \\\\.\\hwgate4"), 1);
    EXPECT_TRUE(machine.services().services.at("hwgate4").running);
    // The device answers.
    Hwgate4ConfigSpace config(run.platform.devices, *device);
    EXPECT_EQ(config.Read32(1, 0, 0x00), 0x0525102Bu);
    EXPECT_TRUE(run.ui.messages.empty());
  }
}

TEST(Hwgate4Deployment, BusOneSearchKeepsTheDriverWhenItFindsTheCard) {
  TestMachine test_machine("win2000-qx2max");
  sim::Machine machine(test_machine.dir());
  Process run(machine);
  const AgpSlotResult slot = FindAgpSlotDevice(run.hw);
  EXPECT_TRUE(slot.found);
  EXPECT_EQ(slot.device, 0u);
  ASSERT_NE(slot.kept_device, kInvalidHandleValue);
  EXPECT_TRUE(run.FileExists(DriverKind::kHwgate4));
  ASSERT_EQ(machine.services().services.count("hwgate4"), 1u);
  EXPECT_TRUE(machine.services().services.at("hwgate4").running);
  EXPECT_EQ(run.OpenHandles(), 1u);  // the kept device, nothing else
  EXPECT_EQ(run.devices.Count("ControlService"), 0);
  EXPECT_EQ(run.devices.Count("DeleteService"), 0);
  // The kept device still serves requests.
  Hwgate4ConfigSpace config(run.platform.devices, slot.kept_device);
  EXPECT_EQ(config.Read32(1, 0, 0x2C) >> 16, 0x217Du);
}

TEST(Hwgate4Deployment, BusOneSearchRemovesTheFileWhenItFindsNothing) {
  TestMachine test_machine("win2000-nocard");
  sim::Machine machine(test_machine.dir());
  Process run(machine);
  const AgpSlotResult slot = FindAgpSlotDevice(run.hw);
  EXPECT_FALSE(slot.found);
  EXPECT_EQ(slot.kept_device, kInvalidHandleValue);
  EXPECT_FALSE(run.FileExists(DriverKind::kHwgate4));
  EXPECT_EQ(run.OpenHandles(), 0u);
  // The service is neither stopped nor deleted.
  EXPECT_EQ(run.devices.Count("ControlService"), 0);
  EXPECT_EQ(run.devices.Count("DeleteService"), 0);
  EXPECT_EQ(machine.services().services.count("hwgate4"), 1u);
}

TEST(Hwgate4Deployment, BoardCountStopsAndDeletesTheService) {
  TestMachine test_machine("win2000-qx2max");
  sim::Machine machine(test_machine.dir());
  Process run(machine);
  const std::vector<CardListEntry> list = CountBoards(run.hw);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].bus, 1);
  EXPECT_EQ(list[0].subsystem_id, 0x217D);

  // Stop first, then delete: a running service is only marked.
  const auto& calls = run.devices.calls;
  const auto stop = std::find(calls.begin(), calls.end(), "ControlService 1");
  const auto remove = std::find(calls.begin(), calls.end(), "DeleteService");
  ASSERT_NE(stop, calls.end());
  ASSERT_NE(remove, calls.end());
  EXPECT_LT(stop, remove);
  EXPECT_EQ(machine.services().services.count("hwgate4"), 0u);
  EXPECT_EQ(ExportKey(machine.registry(), kHwgate4Key), kEmptyExport);
  EXPECT_FALSE(run.FileExists(DriverKind::kHwgate4));
  EXPECT_EQ(run.OpenHandles(), 0u);
}

// Start-up keeps hwgate4 open after the bus-1 search. A later stop and
// delete (the board count) cannot unload a driver whose device is open:
// Windows leaves it stop-pending, refuses new handles and keeps the
// service marked for deletion until the last handle closes.
TEST(Hwgate4Deployment, StopWhileTheStartUpHandleIsOpenWaitsForTheLastHandle) {
  TestMachine test_machine("win2000-qx2max");
  sim::Machine machine(test_machine.dir());
  {
    Process run(machine);
    const AgpSlotResult slot = FindAgpSlotDevice(run.hw);
    ASSERT_TRUE(slot.found);
    // A user that does not know of the kept handle deploys and removes.
    HwContext unaware{run.platform, run.hw.drivers};
    ASSERT_EQ(CountBoards(unaware).size(), 1u);

    const sim::ServiceEntry& entry = machine.services().services.at("hwgate4");
    EXPECT_TRUE(entry.stop_pending);
    EXPECT_TRUE(entry.delete_pending);
    EXPECT_NE(ExportKey(machine.registry(), kHwgate4Key), kEmptyExport);
    // The kept handle still works; nobody gets a new one.
    Hwgate4ConfigSpace config(run.platform.devices, slot.kept_device);
    EXPECT_EQ(config.Read32(1, 0, 0) & 0xFFFF, 0x102Bu);
    EXPECT_EQ(DeployHwgate4(run.hw), std::nullopt);
    EXPECT_EQ(run.platform.devices.OpenService(run.platform.devices.OpenSCManager(kGenericRead),
                                               "hwgate4", kServiceAllAccess),
              kNullHandle);
  }
  // The process ended and closed the handle: the driver unloaded and the
  // service went away with its key.
  EXPECT_EQ(machine.services().services.count("hwgate4"), 0u);
  EXPECT_EQ(ExportKey(machine.registry(), kHwgate4Key), kEmptyExport);
}

// The program's own later hwgate4 users work through the kept handle:
// the board count of every Tweak press and the BIOS reader keep working,
// and the run leaves behind only what the start-up search leaves.
TEST(Hwgate4Deployment, LaterUsersShareTheStartUpHandle) {
  TestMachine test_machine("win2000-qx2max");
  sim::Machine machine(test_machine.dir());
  std::string after_start_up;
  {
    Process run(machine);
    ASSERT_TRUE(FindAgpSlotDevice(run.hw).found);
    after_start_up = ExportKey(machine.registry(), kHwgate4Key);
    for (int press = 0; press < 10; ++press) {
      SCOPED_TRACE(press);
      ASSERT_EQ(CountBoards(run.hw).size(), 1u);
    }
    EXPECT_FALSE(ReadBiosVersionText(run.hw).empty());
    const sim::ServiceEntry& entry = machine.services().services.at("hwgate4");
    EXPECT_FALSE(entry.stop_pending);
    EXPECT_FALSE(entry.delete_pending);
    EXPECT_TRUE(run.FileExists(DriverKind::kHwgate4));
    EXPECT_EQ(run.OpenHandles(), 1u);
  }
  EXPECT_EQ(machine.services().services.count("hwgate4"), 1u);
  EXPECT_EQ(ExportKey(machine.registry(), kHwgate4Key), after_start_up);
}

// The drivers create their devices for administrators only: a running
// hwgate4 is no way into physical memory for anyone else.
TEST(Hwgate4Deployment, DevicesOpenForAdministratorsOnly) {
  TestMachine test_machine("win2000-qx2max");
  sim::Machine machine(test_machine.dir());
  {
    Process run(machine);
    ASSERT_TRUE(FindAgpSlotDevice(run.hw).found);  // leaves hwgate4 running
  }
  sim::ProcessAddressSpace space(machine.physical());
  sim::SimKernel kernel(machine.bus(), space);
  sim::SimFiles files(machine.drive_c(), machine.profile().windows_directory);
  const auto open = [&](bool administrator) {
    sim::SimDevices devices(machine.services(), machine.registry(), files, kernel, false,
                            administrator, machine.device_faults());
    const Handle device =
        devices.CreateFile("\\\\.\\hwgate4", kGenericRead | kGenericWrite,
                           kFileShareRead | kFileShareWrite, kOpenExisting, kFileFlagOverlapped);
    return std::pair(device != kInvalidHandleValue, devices.GetLastError());
  };
  EXPECT_EQ(open(false), std::pair(false, kLastErrorAccessDenied));
  EXPECT_TRUE(open(true).first);
}

TEST(Hwgate4Deployment, DriverThatNeverLoadsGivesUpAfterBoundedAttempts) {
  sim::Faults faults;
  faults.driver_never_loads = {"hwgate4"};
  TestMachine test_machine(WithFaults(Builtin("win2000-qx2max"), faults));
  {
    sim::Machine machine(test_machine.dir());
    Process run(machine);
    EXPECT_FALSE(DeployHwgate4(run.hw).has_value());
    EXPECT_GT(kHwgate4Attempts, 1);
    EXPECT_EQ(run.devices.Count("CreateFile \\\\.\\hwgate4"), kHwgate4Attempts);
    EXPECT_FALSE(run.FileExists(DriverKind::kHwgate4));
    EXPECT_TRUE(run.ui.messages.empty());

    EXPECT_EQ(run.ExitCodeOf([&] { FindAgpSlotDevice(run.hw); }), 1);
    ASSERT_EQ(run.ui.messages.size(), 1u);
    EXPECT_EQ(run.ui.messages[0], HwGateError());
    EXPECT_FALSE(run.FileExists(DriverKind::kHwgate4));
  }
  // The whole program: the start-up scan works, the bus-1 search gives up.
  const ProgramRun whole = test_machine.RunTunora("expect message \"Error Accessing HwGate!\"\n");
  EXPECT_EQ(whole.exit_code, 1) << whole.transcript << whole.errors;
  EXPECT_NE(whole.transcript.find("message \"Error Accessing HwGate!\" caption \"tunora\""),
            std::string::npos)
      << whole.transcript;
  EXPECT_EQ(whole.transcript.find("window 102"), std::string::npos) << whole.transcript;
  EXPECT_FALSE(test_machine.FileExists("C:\\WINNT\\System32\\Drivers\\hwgate4.sys"));
}

// ---- Hwgt9x ------------------------------------------------------------------------

TEST(Hwgt9xDeployment, VersionCheck) {
  struct Case {
    std::uint32_t version;
    bool passes;
  };
  for (const Case c : {Case{0x10003, false}, Case{0x10004, true}, Case{0x10005, true},
                       Case{0x00000000, false}, Case{0x20000, true}}) {
    for (const VxdMessages* messages : {&kVxdMessages, &kVxdMessagesBiosClock}) {
      SCOPED_TRACE(::testing::Message() << std::hex << c.version << " " << messages->wrong_version);
      sim::Faults faults;
      faults.vxd_version = c.version;
      TestMachine test_machine(WithFaults(Builtin("win98-qx1"), faults));
      sim::Machine machine(test_machine.dir());
      Process run(machine);
      Handle device = kInvalidHandleValue;
      const int exit_code = run.ExitCodeOf([&] { device = DeployHwgt9xOrExit(run.hw, *messages); });
      if (c.passes) {
        EXPECT_EQ(exit_code, -1);
        EXPECT_NE(device, kInvalidHandleValue);
        EXPECT_TRUE(run.ui.messages.empty());
        EXPECT_TRUE(run.FileExists(DriverKind::kHwgt9x));
        RemoveHwgt9x(run.hw, device);
      } else {
        EXPECT_EQ(exit_code, 1);
        ASSERT_EQ(run.ui.messages.size(), 1u);
        EXPECT_EQ(run.ui.messages[0].text, messages->wrong_version);
        EXPECT_EQ(run.ui.messages[0].caption, "tunora");
      }
      EXPECT_FALSE(run.FileExists(DriverKind::kHwgt9x));
      EXPECT_EQ(run.OpenHandles(), 0u);
    }
  }
  EXPECT_EQ(kVxdMessages.wrong_version, "Wrong VxD version!");
  EXPECT_EQ(kVxdMessagesBiosClock.wrong_version, "Wrong VxD version! #FF00");
}

TEST(Hwgt9xDeployment, DriverThatDoesNotOpen) {
  sim::Faults faults;
  faults.device_open_fails = {"hwgt9x"};
  TestMachine test_machine(WithFaults(Builtin("win98-qx1"), faults));
  for (const VxdMessages* messages : {&kVxdMessages, &kVxdMessagesBiosClock}) {
    sim::Machine machine(test_machine.dir());
    Process run(machine);
    EXPECT_EQ(run.ExitCodeOf([&] { DeployHwgt9xOrExit(run.hw, *messages); }), 1);
    ASSERT_EQ(run.ui.messages.size(), 1u);
    EXPECT_EQ(run.ui.messages[0].text, messages->cannot_open);
    EXPECT_FALSE(run.FileExists(DriverKind::kHwgt9x));
  }
  EXPECT_EQ(kVxdMessages.cannot_open, "Unable to Access VxD!");
  EXPECT_EQ(kVxdMessagesBiosClock.cannot_open, "Unable to Access VxD! #FF01");
}

TEST(Hwgt9xDeployment, BoardCountLoadsAndUnloadsTheDriver) {
  TestMachine test_machine("win98-qx1");
  sim::Machine machine(test_machine.dir());
  Process run(machine);
  const std::vector<CardListEntry> list = CountBoards(run.hw);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].subsystem_id, 0xFF02);
  EXPECT_EQ(run.devices.Count("CreateFile \\\\.\\Hwgt9x.VXD"), 1);
  EXPECT_FALSE(run.FileExists(DriverKind::kHwgt9x));
  EXPECT_EQ(run.OpenHandles(), 0u);

  sim::Faults faults;
  faults.vxd_version = 0x10003;
  TestMachine old_driver(WithFaults(Builtin("win98-qx1"), faults));
  sim::Machine old_machine(old_driver.dir());
  Process old_run(old_machine);
  EXPECT_EQ(old_run.ExitCodeOf([&] { CountBoards(old_run.hw); }), 1);
  ASSERT_EQ(old_run.ui.messages.size(), 1u);
  EXPECT_EQ(old_run.ui.messages[0].text, "Wrong VxD version!");
}

TEST(Hwgt9xDeployment, NineXStartUpScansUseNoDriver) {
  TestMachine test_machine("win98-qx1");
  sim::Machine machine(test_machine.dir());
  Process run(machine);
  DetectedCard card;
  AgpStatus agp;
  EXPECT_EQ(ScanForCard(run.hw, card, agp), 200);
  const AgpSlotResult slot = FindAgpSlotDevice(run.hw);
  EXPECT_TRUE(slot.found);
  EXPECT_EQ(slot.device, 0u);
  EXPECT_TRUE(run.devices.calls.empty());
  EXPECT_EQ(run.OpenHandles(), 0u);
}

// ---- the video-BIOS version text ------------------------------------------------------

TEST(ParenthesisedText, Table) {
  const std::string filler(120, '.');
  struct Case {
    std::string bios;
    std::string expected;
  };
  const Case cases[] = {
      {"QUILLEX (V1.2) BIOS (A)", "V1.2A"},
      {"", ""},
      {"no parentheses at all", ""},
      {"(unclosed", "unclosed"},
      {") before (after)", "after"},
      {"A(B(C)D)E", "B(C"},  // a nested "(" is text, a ")" never is
      {"((x))", "(x"},
      {"()()", ""},
      {"(" + std::string(300, 'x') + ")", std::string(126, 'x')},
      {filler + "(ABCDEFGHIJ)", "ABCDEF"},  // bytes 0 to 126 only
      {std::string(126, '.') + "(TAIL)", ""},
      {std::string(127, '.') + "(TAIL)", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bios.substr(0, 40));
    EXPECT_EQ(ParenthesisedText(c.bios), c.expected);
  }
}

TEST(BiosVersionText, ReadThroughEachRoadsDriver) {
  struct Case {
    const char* profile;
    DriverKind driver;
    std::string text, expected;
  };
  // The machine's ROM carries the text in parentheses; a ")" inside it
  // splits it into two groups.
  const Case cases[] = {
      {"win2000-qx2max", DriverKind::kHwgate4, "V3.0.021", "V3.0.021"},
      {"win2000-qx2max", DriverKind::kHwgate4, "V1.2) and (A", "V1.2A"},
      {"win98-qx1", DriverKind::kHwgt9x, "V1.9.007B", "V1.9.007B"},
      {"win98-qx1", DriverKind::kHwgt9x, "V1.2) and (A", "V1.2A"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.profile) + ": " + c.text);
    sim::Profile profile = Builtin(c.profile);
    profile.bios.version_text = c.text;
    TestMachine test_machine(profile);
    sim::Machine machine(test_machine.dir());
    Process run(machine);
    EXPECT_EQ(ReadBiosVersionText(run.hw), c.expected);
    // The device is closed and the file deleted; on NT the service stays.
    EXPECT_FALSE(run.FileExists(c.driver));
    EXPECT_EQ(run.OpenHandles(), 0u);
    if (c.driver == DriverKind::kHwgate4) {
      EXPECT_EQ(machine.services().services.count("hwgate4"), 1u);
      EXPECT_EQ(run.devices.Count("DeleteService"), 0);
    }
  }
}

}  // namespace
}  // namespace tunora::testing
